#include "rangepainter.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "memo.h"

QVector<QRectF> VisibleRangeRects(const TMemo& memo, const QRect& area, int from, int to, RangeEnd end)
{
    QVector<QRectF> rects;
    if (from >= to || area.isEmpty())
        return rects;
    const qreal right = memo.viewport()->width();
    const qreal bottom = std::min<qreal>(area.bottom() + 1, memo.viewport()->height());
    // The walk of the area's own paint: from the first visible block down, each
    // block's rectangle from the layout the paint draws.
    QPointF offset = memo.contentOffset();
    for (QTextBlock block = memo.firstVisibleBlock(); block.isValid() && offset.y() < bottom; block = block.next()) {
        const QRectF box = memo.blockBoundingRect(block).translated(offset);
        const int start = block.position();
        if (start >= to)
            break;
        if (block.isVisible() && box.bottom() > area.top() && start + block.length() > from) {
            const QTextLayout* layout = block.layout();
            const QPointF origin = offset + layout->position();
            const int lines = layout->lineCount();
            for (int i = 0; i < lines; ++i) {
                const QTextLine line = layout->lineAt(i);
                const qreal top = origin.y() + line.y();
                if (top >= bottom)
                    break;
                if (top + line.height() <= area.top())
                    continue;
                const int lineStart = start + line.textStart();
                // The last line ends with the block's separator, the others where they wrap.
                const int lineEnd = lineStart + line.textLength() + (i == lines - 1 ? 1 : 0);
                if (to <= lineStart || from >= lineEnd)
                    continue;
                const qreal left = from <= lineStart ? line.x() : line.cursorToX(from - start);
                qreal stop = 0;
                if (to < lineEnd)
                    stop = line.cursorToX(to - start);
                else if (end == RangeEnd::AtRightEdge)
                    stop = right - origin.x();
                else
                    stop = line.x() + line.naturalTextWidth();
                if (stop > left)
                    rects.append(QRectF(origin.x() + left, top, stop - left, line.height()));
            }
        }
        offset.ry() += box.height();
    }
    return rects;
}

void PaintRanges(const TMemo& memo, QPainter& painter, const QRect& area, const QVector<TColoredRange>& ranges,
                 RangeEnd end)
{
    for (const TColoredRange& range : ranges)
        for (const QRectF& rect : VisibleRangeRects(memo, area, range.from, range.to, end))
            painter.fillRect(rect.intersected(area), range.color);
}
