#pragma once

#include <QObject>

class QKeyEvent;
class TMemo;

// The grapheme cluster boundary at position of the text area's document, or
// else the one before it (forward: after it), within position's block. A
// block's edges (a piece break too) count as boundaries.
int ClusterEdge(const TMemo& memo, int position, bool forward);

// Keeps the caret and both ends of the selection of a text area on grapheme
// cluster boundaries, whatever the text layout offers: Qt's layout has caret
// stops inside a surrogate pair after some scripts, where an edit would break
// the pair. A stop inside a cluster moves on in the direction the caret went.
// It lives as long as the text area, its parent.
class TClusterCaret : public QObject {
public:
    explicit TClusterCaret(TMemo* memo);

private:
    void follow();

    TMemo* m_memo;
    int m_lastPosition = 0;
    bool m_moving = false;
};
