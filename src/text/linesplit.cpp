#include "text/linesplit.h"

#include <QTextBoundaryFinder>
#include <algorithm>

// The cut nearest pos, between start and the line's end, that keeps every
// grapheme cluster (a letter with its accents, a surrogate pair, an emoji
// sequence) whole: before the cluster pos falls in, or after it when the
// cluster began at start.
static qsizetype ClusterEdge(QStringView line, qsizetype start, qsizetype pos)
{
    // Below U+0300 nothing joins: no accents, no pairs.
    if (line[pos - 1].unicode() < 0x300 && line[pos].unicode() < 0x300)
        return pos;
    constexpr qsizetype Reach = 32;  // context enough for the cluster rules
    const qsizetype from = std::max(start, pos - Reach);
    const QStringView window = line.mid(from, std::min(line.size(), pos + Reach) - from);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(pos - from);
    if (finder.isAtBoundary())
        return pos;
    const qsizetype before = finder.toPreviousBoundary();
    if (before > 0 && from + before > start)
        return from + before;
    finder.setPosition(pos - from);
    const qsizetype after = finder.toNextBoundary();
    return after > 0 && from + after < line.size() ? from + after : pos;
}

// A cut at pos lies after the piece's end; prefers the position after a blank.
static qsizetype NextCut(QStringView line, qsizetype start)
{
    const qsizetype hard = start + PieceLength;
    for (qsizetype pos = hard; pos > start + PieceLength / 2; --pos) {
        const QChar c = line[pos - 1];
        if (c == u' ' || c == u'\t')
            return ClusterEdge(line, start, pos);
    }
    return ClusterEdge(line, start, hard);
}

QList<qsizetype> PieceCuts(QStringView line)
{
    QList<qsizetype> cuts;
    qsizetype start = 0;
    while (line.size() - start > PieceLength) {
        start = NextCut(line, start);
        cuts.append(start);
    }
    return cuts;
}
