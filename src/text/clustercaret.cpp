#include "text/clustercaret.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "text/piecemodel.h"

TClusterCaret::TClusterCaret(QPlainTextEdit* edit, const TPieceModel* pieces)
    : QObject(edit), m_edit(edit), m_pieces(pieces)
{
    setObjectName(QStringLiteral("clusterCaret"));
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &TClusterCaret::follow);
}

void TClusterCaret::follow()
{
    if (m_moving)
        return;
    QTextCursor cursor = m_edit->textCursor();
    const int position = cursor.position();
    const int anchor = cursor.anchor();
    const bool forward = position >= m_lastPosition;
    const int newPosition = m_pieces->clusterEdge(position, forward);
    // A selection's anchor moves outwards: what was selected stays selected.
    const int newAnchor = anchor == position ? newPosition : m_pieces->clusterEdge(anchor, anchor > position);
    m_lastPosition = newPosition;
    if (newPosition == position && newAnchor == anchor)
        return;
    m_moving = true;
    cursor.setPosition(newAnchor);
    cursor.setPosition(newPosition, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    m_moving = false;
}
