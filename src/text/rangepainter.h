#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QTextBlock>
#include <QTextLayout>
#include <QVector>
#include <functional>

class QPainter;

// Where a text area's viewport shows its document: the first block visible,
// the offset of that block's rectangle in the viewport, and the viewport's
// size. The blocks' rectangles come from the document's layout.
struct TVisibleArea {
    QTextBlock first;
    QPointF offset;
    QSizeF size;
};

// A stretch [from, to) of a text area's document, filled in a colour.
struct TColoredRange {
    int from = 0;
    int to = 0;
    QColor color;
};

// How a stretch that runs on past a line's end (its line break or its wrap) is shown.
enum class RangeEnd {
    AtText,       // up to the last character of the line
    AtRightEdge,  // across to the viewport's right edge
};

// A line of a block on screen: where its layout's origin lies in the
// viewport, and whether it is the block's last line (ending with the block's
// separator rather than a wrap).
struct TVisibleLine {
    QTextBlock block;
    QTextLine line;
    QPointF origin;
    bool last = false;
};

// Walks the visible blocks of a text area from the first down to the last
// that meets area (viewport coordinates), with the offset of each block's
// rectangle; blocks are laid out where Qt has not done so yet, as the area's
// own paint does. visit returns false to stop.
void ForEachVisibleBlock(const TVisibleArea& view, const QRect& area,
                         const std::function<bool(const QTextBlock&, const QPointF&)>& visit);
// The lines of the visible blocks that meet area, top to bottom, from the
// layouts the area paints: never from hit tests. visit returns false to stop.
void ForEachVisibleLine(const TVisibleArea& view, const QRect& area,
                        const std::function<bool(const TVisibleLine&)>& visit);

// Where a stretch of the text shows in the text area's viewport: one
// rectangle per visible line it touches that meets area (viewport
// coordinates). Worked out from the block layouts the area paints, laid out
// here where Qt has not done so yet, so that it matches the painted text also
// right after a scroll; never from hit tests.
QVector<QRectF> VisibleRangeRects(const TVisibleArea& view, const QRect& area, int from, int to,
                                  RangeEnd end = RangeEnd::AtRightEdge);

// Fills the ranges within area with the painter of the viewport's paint,
// before the text is painted over them; later ranges over earlier ones.
void PaintRanges(const TVisibleArea& view, QPainter& painter, const QRect& area, const QVector<TColoredRange>& ranges,
                 RangeEnd end = RangeEnd::AtRightEdge);
