#include "text/rangepainter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

void ForEachVisibleBlock(const TVisibleArea& view, const QRect& area,
                         const std::function<bool(const QTextBlock&, const QPointF&)>& visit)
{
    if (area.isEmpty() || !view.first.isValid())
        return;
    const qreal bottom = std::min<qreal>(area.bottom() + 1, view.size.height());
    // The walk of the area's own paint: from the first visible block down, each
    // block's rectangle from the layout the paint draws.
    const QAbstractTextDocumentLayout* layout = view.first.document()->documentLayout();
    QPointF offset = view.offset;
    for (QTextBlock block = view.first; block.isValid() && offset.y() < bottom; block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block).translated(offset);
        if (block.isVisible() && box.bottom() > area.top() && !visit(block, offset))
            return;
        offset.ry() += box.height();
    }
}

void ForEachVisibleLine(const TVisibleArea& view, const QRect& area,
                        const std::function<bool(const TVisibleLine&)>& visit)
{
    const qreal bottom = std::min<qreal>(area.bottom() + 1, view.size.height());
    ForEachVisibleBlock(view, area, [&](const QTextBlock& block, const QPointF& offset) {
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

QVector<QRectF> VisibleRangeRects(const TVisibleArea& view, const QRect& area, int from, int to, RangeEnd end)
{
    QVector<QRectF> rects;
    if (from >= to)
        return rects;
    const qreal right = view.size.width();
    ForEachVisibleLine(view, area, [&](const TVisibleLine& visible) {
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

void PaintRanges(const TVisibleArea& view, QPainter& painter, const QRect& area, const QVector<TColoredRange>& ranges,
                 RangeEnd end)
{
    for (const TColoredRange& range : ranges)
        for (const QRectF& rect : VisibleRangeRects(view, area, range.from, range.to, end))
            painter.fillRect(rect.intersected(area), range.color);
}
