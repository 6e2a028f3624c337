#include "text/caretshaping.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace {

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

void TCaretShaping::follow()
{
    const QTextBlock block = m_edit->textCursor().block();
    // Still at the start of the caret's block: a join leaves it inside.
    if (!m_caret.isNull() && m_caret.document() == block.document() && m_caret.position() == block.position() &&
        block.layout()->cacheEnabled())
        return;
    release();
    if (!block.isValid())
        return;
    QTextBlock first = block;
    for (int n = 0; n < MaxBlocks && first.previous().isValid() &&
                    block.position() - first.previous().position() - first.previous().length() < Reach;
         ++n)
        first = first.previous();
    QTextBlock last = block;
    for (int n = 0;
         n < MaxBlocks && last.next().isValid() && last.next().position() - block.position() - block.length() < Reach;
         ++n)
        last = last.next();
    for (QTextBlock kept = first;; kept = kept.next()) {
        kept.layout()->setCacheEnabled(true);
        if (kept == last)
            break;
    }
    m_caret = BlockStart(block);
    m_first = BlockStart(first);
    m_last = BlockStart(last);
}

// The blocks kept let their glyphs go with their next layout or paint, as
// Qt's other blocks do. Those an edit put between them since never kept any.
void TCaretShaping::release()
{
    if (m_first.isNull() || m_first.document() != m_edit->document())
        return;
    const QTextBlock first = m_first.block();
    const QTextBlock last = m_last.block();
    QTextBlock block = first;
    for (int n = 0; n <= 2 * MaxBlocks && block.isValid(); ++n, block = block.next()) {
        block.layout()->setCacheEnabled(false);
        if (block == last)
            return;
    }
    block = last;
    for (int n = 0; n <= 2 * MaxBlocks && block.isValid() && block != first; ++n, block = block.previous())
        block.layout()->setCacheEnabled(false);
}
