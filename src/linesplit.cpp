#include "linesplit.h"

#include <optional>

#include "graphemes.h"

namespace {

// The cut nearest pos after start that keeps every grapheme cluster (a letter
// with its accents, a surrogate pair, an emoji sequence, a flag) whole:
// before the cluster pos falls in. A cluster that began at start or before is
// longer than a piece; it is cut between two of its code points.
qsizetype ClusterEdge(QStringView line, qsizetype start, qsizetype pos, std::optional<TGraphemes>& graphemes)
{
    // Below U+0300 nothing joins: no accents, no pairs, no flags.
    if (line[pos - 1].unicode() < 0x300 && line[pos].unicode() < 0x300)
        return pos;
    // One iterator for the whole line: the pairs of a run of flags count from its start.
    if (!graphemes)
        graphemes.emplace(line);
    if (graphemes->isBoundary(pos))
        return pos;
    const qsizetype before = graphemes->previous(pos);
    if (before > start)
        return before;
    return InsidePair(line, pos) ? pos - 1 : pos;
}

// The end of the piece that begins at start; prefers the position after a blank.
qsizetype NextCut(QStringView line, qsizetype start, std::optional<TGraphemes>& graphemes)
{
    const qsizetype hard = start + PieceLength;
    for (qsizetype pos = hard; pos > start + PieceLength / 2; --pos) {
        const QChar c = line[pos - 1];
        if (c == u' ' || c == u'\t')
            return ClusterEdge(line, start, pos, graphemes);
    }
    return ClusterEdge(line, start, hard, graphemes);
}

}  // namespace

QList<qsizetype> PieceCuts(QStringView line)
{
    QList<qsizetype> cuts;
    std::optional<TGraphemes> graphemes;
    qsizetype start = 0;
    while (line.size() - start > PieceLength) {
        start = NextCut(line, start, graphemes);
        cuts.append(start);
    }
    return cuts;
}
