#include "text/textarealayout.h"

#include "text/runwrap.h"

#include <QFontMetrics>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

// Text that only ever runs left to right and takes no shaping across letters
// beyond kerning: Latin, Greek, Cyrillic and their accents.
static bool IsSimple(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x0590; });
}

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
        m_simpleBlock = QTextBlock();
        return;
    }
    if (first.isValid() && first.length() > 0) {
        // The rows as they were, only where they can spare a repaint: an edit
        // leaves a block's old lines in place until it is laid out again.
        const bool wasSimple = first == m_simpleBlock;
        const std::vector<Row> before = wasSimple ? rowsOf(first) : std::vector<Row>();
        const qreal heightBefore = blockBoundingRect(first).height();
        layOut(first);
        m_simpleBlock = IsSimple(first.text()) ? first : QTextBlock();
        if (blockBoundingRect(first).height() == heightBefore) {
            if (wasSimple && m_simpleBlock.isValid())
                tellChangedRows(first, before, from - first.position(), charsRemoved, charsAdded);
            else
                emit updateBlock(first);
            return;
        }
    }
    emit update(QRectF(0., -doc->documentMargin(), 1000000000., 1000000000.));
}

std::vector<TTextAreaLayout::Row> TTextAreaLayout::rowsOf(const QTextBlock& block)
{
    const QTextLayout* layout = block.layout();
    std::vector<Row> rows;
    rows.reserve(layout->lineCount());
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        rows.push_back({line.textStart(), line.textLength(), line.y(), line.y() + line.height()});
    }
    return rows;
}

void TTextAreaLayout::tellChangedRows(const QTextBlock& block, const std::vector<Row>& before, int at, int removed,
                                      int added)
{
    const std::vector<Row> after = rowsOf(block);
    if (after.size() != before.size()) {
        emit updateBlock(block);
        return;
    }
    // A row clear of the edit by a character at least (so that no letter it
    // holds was shaped beside an edited one) and holding the same stretch of
    // text in the same place looks as it did.
    qreal top = std::numeric_limits<qreal>::max();
    qreal bottom = std::numeric_limits<qreal>::lowest();
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Row& was = before[i];
        const Row& now = after[i];
        const bool placed = was.top == now.top && was.bottom == now.bottom && was.length == now.length;
        const bool above = now.start + now.length < at && was.start == now.start;
        const bool below = now.start > at + added && was.start + added - removed == now.start;
        if (!placed || (!above && !below)) {
            top = std::min(top, now.top);
            bottom = std::max(bottom, now.bottom);
        }
    }
    if (top < bottom)
        emit rowsChanged(block, top, bottom);
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
    TRunWrap wrap(block);
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        wrap.setLineWidth(line, available);
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
