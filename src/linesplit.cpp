#include "linesplit.h"

// A cut at pos lies after the piece's end; prefers the position after a blank.
static qsizetype NextCut(QStringView line, qsizetype start)
{
    const qsizetype hard = start + PieceLength;
    for (qsizetype pos = hard; pos > start + PieceLength / 2; --pos) {
        const QChar c = line[pos - 1];
        if (c == u' ' || c == u'\t')
            return pos;
    }
    // Never between the two halves of a surrogate pair.
    if (line[hard - 1].isHighSurrogate() && line[hard].isLowSurrogate())
        return hard - 1;
    return hard;
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
