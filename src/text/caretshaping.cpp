#include "text/caretshaping.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include "text/memo.h"

namespace {

// Pieces kept on either side at most, however short.
constexpr int MaxPieces = 8;

QTextCursor BlockStart(const QTextBlock& block)
{
    QTextCursor start(block);
    // Text typed at the block's start stays in the block.
    start.setKeepPositionOnInsert(true);
    return start;
}

}  // namespace

TCaretShaping::TCaretShaping(QPlainTextEdit* edit) : QObject(edit), m_edit(edit)
{
    setObjectName(QStringLiteral("caretShaping"));
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &TCaretShaping::follow);
    follow();
}

bool TCaretShaping::continues(const QTextBlock& block) const
{
    const auto* memo = qobject_cast<const TMemo*>(m_edit);
    return memo && block.isValid() && memo->isContinuation(block);
}

void TCaretShaping::follow()
{
    const QTextBlock block = m_edit->textCursor().block();
    QTextBlock first = block;
    QTextBlock last = block;
    if (block.isValid()) {
        for (int n = 0; n < MaxPieces && continues(first) &&
                        block.position() - first.previous().position() - first.previous().length() < PieceReach;
             ++n)
            first = first.previous();
        for (int n = 0; n < MaxPieces && continues(last.next()) &&
                        last.next().position() - block.position() - block.length() < PieceReach;
             ++n)
            last = last.next();
    }
    const bool same = !m_first.isNull() && m_first.document() == block.document() && m_first.block() == first &&
                      m_last.block() == last;
    if (same && block.layout()->cacheEnabled())
        return;
    release();
    if (!block.isValid())
        return;
    for (QTextBlock kept = first;; kept = kept.next()) {
        kept.layout()->setCacheEnabled(true);
        if (kept == last)
            break;
    }
    m_first = BlockStart(first);
    m_last = BlockStart(last);
}

// The blocks kept let their glyphs go with their next layout or paint, as
// Qt's other blocks do. Those the last edit put between them never kept any.
void TCaretShaping::release()
{
    if (m_first.isNull() || m_first.document() != m_edit->document())
        return;
    const QTextBlock last = m_last.block();
    QTextBlock block = m_first.block();
    for (int n = 0; n <= 2 * MaxPieces && block.isValid(); ++n, block = block.next()) {
        block.layout()->setCacheEnabled(false);
        if (block == last)
            return;
    }
    block = last;
    for (int n = 0; n <= 2 * MaxPieces && block.isValid(); ++n, block = block.previous())
        block.layout()->setCacheEnabled(false);
}
