#include "text/linesplit.h"

#include <optional>

#include "text/graphemes.h"

namespace {

// The iterators a line's cuts need, opened once the first character that may join is met.
struct Iterators {
    std::optional<TGraphemes> line;    // the pairs of a run of flags count from the line's start
    std::optional<TGraphemes> window;  // how far one cluster reaches
};

// The cut nearest pos after start that keeps every grapheme cluster (a letter
// with its accents, a surrogate pair, an emoji sequence, a flag) whole:
// before the cluster pos falls in. A cluster longer than a piece is cut
// between two of its code points.
qsizetype ClusterEdge(QStringView line, qsizetype start, qsizetype pos, Iterators& iterators)
{
    // Below U+0300 nothing joins: no accents, no pairs, no flags.
    if (line[pos - 1].unicode() < 0x300 && line[pos].unicode() < 0x300)
        return pos;
    if (!iterators.line)
        iterators.line.emplace(line);
    if (iterators.line->isBoundary(pos))
        return pos;
    const qsizetype before = iterators.line->previous(pos);
    // Whether the cluster ends within a piece from its start: asked of a
    // window, so that a run of megabytes is not read once for each piece; it
    // holds the pair that may begin at its last place that counts.
    const QStringView window = line.mid(before, PieceLength + 2);
    if (!iterators.window)
        iterators.window.emplace();
    iterators.window->setText(window);
    const bool fits = iterators.window->next(pos - before) <= PieceLength;
    if (before > start && (fits || before - start > PieceLength / 2))
        return before;
    return InsidePair(line, pos) ? pos - 1 : pos;
}

// The end of the piece that begins at start; prefers the position after a blank.
qsizetype NextCut(QStringView line, qsizetype start, Iterators& iterators)
{
    const qsizetype hard = start + PieceLength;
    for (qsizetype pos = hard; pos > start + PieceLength / 2; --pos) {
        const QChar c = line[pos - 1];
        if (c == u' ' || c == u'\t')
            return ClusterEdge(line, start, pos, iterators);
    }
    return ClusterEdge(line, start, hard, iterators);
}

}  // namespace

QList<qsizetype> PieceCuts(QStringView line)
{
    QList<qsizetype> cuts;
    Iterators iterators;
    qsizetype start = 0;
    while (line.size() - start > PieceLength) {
        start = NextCut(line, start, iterators);
        cuts.append(start);
    }
    return cuts;
}
