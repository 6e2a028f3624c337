#include "text/caretshaping.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

TCaretShaping::TCaretShaping(QPlainTextEdit* edit) : QObject(edit), m_edit(edit)
{
    setObjectName(QStringLiteral("caretShaping"));
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &TCaretShaping::follow);
    follow();
}

void TCaretShaping::follow()
{
    const QTextBlock block = m_edit->textCursor().block();
    if (!m_kept.isNull() && m_kept.document() == block.document()) {
        const QTextBlock kept = m_kept.block();
        if (kept == block && kept.layout()->cacheEnabled())
            return;
        // Freed with its next layout or paint, as Qt frees every other block's.
        if (kept.isValid())
            kept.layout()->setCacheEnabled(false);
    }
    if (!block.isValid())
        return;
    block.layout()->setCacheEnabled(true);
    m_kept = QTextCursor(block);
    // Text typed at the block's start stays in the block.
    m_kept.setKeepPositionOnInsert(true);
}
