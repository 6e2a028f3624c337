#include "text/rangepainter.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "text/memo.h"

void ForEachVisibleBlock(const TMemo& memo, const QRect& area,
                         const std::function<bool(const QTextBlock&, const QPointF&)>& visit)
{
    if (area.isEmpty())
        return;
    const qreal bottom = std::min<qreal>(area.bottom() + 1, memo.viewport()->height());
    // The walk of the area's own paint: from the first visible block down, each
    // block's rectangle from the layout the paint draws.
    QPointF offset = memo.contentOffset();
    for (QTextBlock block = memo.firstVisibleBlock(); block.isValid() && offset.y() < bottom; block = block.next()) {
        const QRectF box = memo.blockBoundingRect(block).translated(offset);
        if (block.isVisible() && box.bottom() > area.top() && !visit(block, offset))
            return;
        offset.ry() += box.height();
    }
}

void ForEachVisibleLine(const TMemo& memo, const QRect& area, const std::function<bool(const TVisibleLine&)>& visit)
{
    const qreal bottom = std::min<qreal>(area.bottom() + 1, memo.viewport()->height());
    ForEachVisibleBlock(memo, area, [&](const QTextBlock& block, const QPointF& offset) {
        const QTextLayout* layout = block.layout();
        const QPointF origin = offset + layout->position();
        const int lines = layout->lineCount();
        for (int i = 0; i < lines; ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal top = origin.y() + line.y();
            if (top >= bottom)
                return false;
            if (top + line.height() > area.top() && !visit({block, line, origin, i == lines - 1}))
                return false;
        }
        return true;
    });
}

QVector<QRectF> VisibleRangeRects(const TMemo& memo, const QRect& area, int from, int to, RangeEnd end)
{
    QVector<QRectF> rects;
    if (from >= to)
        return rects;
    const qreal right = memo.viewport()->width();
    ForEachVisibleLine(memo, area, [&](const TVisibleLine& visible) {
        const int start = visible.block.position();
        const QTextLine& line = visible.line;
        const int lineStart = start + line.textStart();
        if (lineStart >= to)
            return false;
        // The last line ends with the block's separator, the others where they wrap.
        const int lineEnd = lineStart + line.textLength() + (visible.last ? 1 : 0);
        if (from >= lineEnd)
            return true;
        const qreal left = from <= lineStart ? line.x() : line.cursorToX(from - start);
        qreal stop = 0;
        if (to < lineEnd)
            stop = line.cursorToX(to - start);
        else if (end == RangeEnd::AtRightEdge)
            stop = right - visible.origin.x();
        else
            stop = line.x() + line.naturalTextWidth();
        if (stop > left)
            rects.append(QRectF(visible.origin.x() + left, visible.origin.y() + line.y(), stop - left, line.height()));
        return true;
    });
    return rects;
}

void PaintRanges(const TMemo& memo, QPainter& painter, const QRect& area, const QVector<TColoredRange>& ranges,
                 RangeEnd end)
{
    for (const TColoredRange& range : ranges)
        for (const QRectF& rect : VisibleRangeRects(memo, area, range.from, range.to, end))
            painter.fillRect(rect.intersected(area), range.color);
}
