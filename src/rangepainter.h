#pragma once

#include <QColor>
#include <QRectF>
#include <QVector>

class QPainter;
class TMemo;

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

// Where a stretch of the text shows in the text area's viewport: one
// rectangle per visible line it touches that meets area (viewport
// coordinates). Worked out from the block layouts the area paints, laid out
// here where Qt has not done so yet, so that it matches the painted text also
// right after a scroll; never from hit tests.
QVector<QRectF> VisibleRangeRects(const TMemo& memo, const QRect& area, int from, int to,
                                  RangeEnd end = RangeEnd::AtRightEdge);

// Fills the ranges within area with the painter of the viewport's paint,
// before the text is painted over them; later ranges over earlier ones.
void PaintRanges(const TMemo& memo, QPainter& painter, const QRect& area, const QVector<TColoredRange>& ranges,
                 RangeEnd end = RangeEnd::AtRightEdge);
