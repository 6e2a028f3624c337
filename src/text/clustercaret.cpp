#include "text/clustercaret.h"

#include <QTextBlock>
#include <QTextDocument>

#include "text/graphemes.h"
#include "text/memo.h"

int ClusterEdge(const TMemo& memo, int position, bool forward)
{
    const QTextBlock block = memo.document()->findBlock(position);
    const QString text = block.text();
    const qsizetype offset = position - block.position();
    if (offset <= 0 || offset >= text.size())
        return position;
    // Below U+0300 nothing joins: most text never reaches the iterator.
    if (text[offset - 1].unicode() < 0x300 && text[offset].unicode() < 0x300)
        return position;
    // The piece before holds the start of a cluster the piece break may cut.
    const QString context = memo.isContinuation(block) ? block.previous().text() : QString();
    const QString whole = context + text;
    TGraphemes graphemes(whole);
    const qsizetype at = context.size() + offset;
    if (graphemes.isBoundary(at))
        return position;
    const qsizetype edge = forward ? graphemes.next(at) : graphemes.previous(at);
    return block.position() + int(std::clamp<qsizetype>(edge - context.size(), 0, text.size()));
}

TClusterCaret::TClusterCaret(TMemo* memo) : QObject(memo), m_memo(memo)
{
    setObjectName(QStringLiteral("clusterCaret"));
    connect(memo, &TMemo::cursorPositionChanged, this, &TClusterCaret::follow);
}

void TClusterCaret::follow()
{
    if (m_moving)
        return;
    QTextCursor cursor = m_memo->textCursor();
    const int position = cursor.position();
    const int anchor = cursor.anchor();
    const bool forward = position >= m_lastPosition;
    const int newPosition = ClusterEdge(*m_memo, position, forward);
    // A selection's anchor moves outwards: what was selected stays selected.
    const int newAnchor = anchor == position ? newPosition : ClusterEdge(*m_memo, anchor, anchor > position);
    m_lastPosition = newPosition;
    if (newPosition == position && newAnchor == anchor)
        return;
    m_moving = true;
    cursor.setPosition(newAnchor);
    cursor.setPosition(newPosition, QTextCursor::KeepAnchor);
    m_memo->setTextCursor(cursor);
    m_moving = false;
}
