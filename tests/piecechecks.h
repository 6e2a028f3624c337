#pragma once

#include <QString>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "storage/textfile.h"
#include "text/linesplit.h"
#include "text/piecemodel.h"

// A line without blanks, cut into pieces of exactly PieceLength units: piece
// k starts at text position k * PieceLength and document position
// k * (PieceLength + 1).
inline QString LongLine(qsizetype size = LongLineLength + 1000)
{
    QString line;
    for (qsizetype i = 0; i < size; ++i)
        line += QChar(char16_t(u'a' + i % 26));
    return line;
}

// The text and the count agree with the expected text, and no block is longer
// than its limit.
inline void CheckPiecesHold(const TPieceModel& pieces, const QString& expected, qsizetype longLine = LongLineLength)
{
    QCOMPARE(pieces.text(), expected);
    QCOMPARE(pieces.charCount(), CountChars(expected));
    const QTextDocument* doc = pieces.document();
    QCOMPARE(pieces.lineBreaksBetween(0, doc->characterCount() - 1), expected.count(u'\n'));
    // Ranges from block starts across the text, so a stale table of pieces shows.
    const int step = std::max(1, doc->blockCount() / 8);
    for (int from = 0; from < doc->blockCount(); from += step) {
        const int start = doc->findBlockByNumber(from).position();
        const int end = doc->findBlockByNumber(std::min(doc->blockCount() - 1, from + 3 * step)).position();
        QCOMPARE(pieces.lineBreaksBetween(start, end), pieces.textBetween(start, end).count(u'\n'));
    }
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        const bool piece = pieces.isContinuation(block) || pieces.isContinuation(block.next());
        QVERIFY(block.length() - 1 <= (piece ? 2 * PieceLength : longLine));
    }
}
