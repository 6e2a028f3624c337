#include "textarealayout.h"

#include <QFontMetrics>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>

TTextAreaLayout::TTextAreaLayout(QTextDocument* document)
    : QPlainTextDocumentLayout(document), m_blockCount(document->blockCount())
{
}

QRectF TTextAreaLayout::blockBoundingRect(const QTextBlock& block) const
{
    // Laid out here first, so that Qt's own layout of the block never runs.
    if (block.isValid() && block.layout()->lineCount() == 0)
        const_cast<TTextAreaLayout*>(this)->layOut(block);
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void TTextAreaLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    QTextDocument* doc = document();
    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(std::max(0, from + charsRemoved + charsAdded - 1));
    if (first != last || doc->blockCount() != m_blockCount) {
        // Across blocks, or blocks come or go: Qt only forgets their layouts
        // and counts them, and they are laid out here again when shown.
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        m_blockCount = doc->blockCount();
        return;
    }
    if (first.isValid() && first.length() > 0) {
        const qreal heightBefore = blockBoundingRect(first).height();
        layOut(first);
        if (blockBoundingRect(first).height() == heightBefore) {
            emit updateBlock(first);
            return;
        }
    }
    emit update(QRectF(0., -doc->documentMargin(), 1000000000., 1000000000.));
}

void TTextAreaLayout::layOut(const QTextBlock& block)
{
    QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const QTextOption option = doc->defaultTextOption();
    QTextLayout* layout = block.layout();
    layout->setTextOption(option);
    qreal extraMargin = 0;
    if (option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        extraMargin = QFontMetrics(block.charFormat().font()).horizontalAdvance(QChar(0x21B5));
    // The frame is as wide as the area's text width: no block is laid out
    // wider than that, and the widest line is never recorded above it.
    qreal available = frameBoundingRect(nullptr).width();
    if (available <= 0)
        available = qreal(INT_MAX);  // not shown yet: one line per block
    available -= 2 * margin + extraMargin;

    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(available);
        line.setPosition(QPointF(margin, height));
        height += line.height();
        if (line.leading() < 0)
            height += std::ceil(line.leading());
    }
    layout->endLayout();

    const int linesBefore = doc->lineCount();
    QTextBlock(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
    if (doc->lineCount() == linesBefore || m_telling)
        return;
    const QScopedValueRollback<bool> telling(m_telling, true);
    emit documentSizeChanged(documentSize());
}
