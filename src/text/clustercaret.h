#pragma once

#include <QObject>

class QPlainTextEdit;
class TPieceModel;

// Keeps the caret and both ends of the selection of a text area on grapheme
// cluster boundaries, whatever the text layout offers: Qt's layout has caret
// stops inside a surrogate pair after some scripts, where an edit would break
// the pair. A stop inside a cluster moves on in the direction the caret went.
// It lives as long as the text area, its parent; pieces is its document's.
class TClusterCaret : public QObject {
public:
    TClusterCaret(QPlainTextEdit* edit, const TPieceModel* pieces);

private:
    void follow();

    QPlainTextEdit* m_edit;
    const TPieceModel* m_pieces;
    int m_lastPosition = 0;
    bool m_moving = false;
};
