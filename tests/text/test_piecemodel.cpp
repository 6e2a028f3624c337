// The piece model on its own, without a text area: a document holding long
// lines in pieces reads as the same text held whole.
#include <QTest>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "piecechecks.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "text/graphemes.h"
#include "text/linesplit.h"
#include "text/piecemodel.h"

namespace {

// A document and its piece model, the model the document's child.
struct Pieces {
    QTextDocument document;
    TPieceModel& model = *new TPieceModel(&document);
};

// The text position (piece breaks left out) of a document position.
int TextAt(const TPieceModel& pieces, int position)
{
    return int(pieces.textBetween(0, position).size());
}

// Empties the pieces from block number first to last, their breaks left in place.
void EmptyPieces(TPieceModel& pieces, int first, int last)
{
    for (int number = first; number <= last; ++number) {
        QTextCursor cursor(pieces.document()->findBlockByNumber(number));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

}  // namespace

class TestPieceModel : public QObject {
    Q_OBJECT

private slots:
    void setTextKeepsTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pieces");
        const QString line = LongLine();
        QString prose;
        while (prose.size() < 3 * LongLineLength)
            prose += QStringLiteral("Ein Satz mit Blanks, wie ihn jeder schreibt. ");
        QString emoji;
        while (emoji.size() < 2 * LongLineLength)
            emoji += QString::fromUtf16(u"x\U0001F600");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("short lines") << QStringLiteral("eins\nzwei\n") << false;
        QTest::newRow("line at the limit") << QString(LongLineLength, u'q') << false;
        QTest::newRow("line one over the limit") << QString(LongLineLength + 1, u'q') << true;
        // Whatever fits the forum limit wraps as one paragraph.
        QTest::newRow("paragraph of a full forum post") << prose.left(DefaultGrenzeForum) << false;
        QTest::newRow("long line") << line << true;
        QTest::newRow("long prose line") << prose << true;
        QTest::newRow("long line of surrogate pairs") << emoji << true;
        QTest::newRow("mixed, ends with a break") << QStringLiteral("a\n") + line + u'\n' + prose + u'\n' << true;
        QTest::newRow("empty lines around") << u'\n' + line + QStringLiteral("\n\n") << true;
    }
    void setTextKeepsTheText()
    {
        QFETCH(QString, text);
        QFETCH(bool, pieces);
        Pieces area;
        TPieceModel& model = area.model;
        model.setText(LongLine());  // pieces of an earlier text go with it
        model.setText(text);
        CheckPiecesHold(model, text);
        QCOMPARE(model.document()->blockCount() > text.count(u'\n') + 1, pieces);
        QVERIFY(!model.document()->isUndoAvailable());
    }

    void lineBreaksAndContinuations()
    {
        Pieces area;
        TPieceModel& pieces = area.model;
        pieces.setText(QStringLiteral("ab\n") + LongLine() + QStringLiteral("\ncd"));
        const QTextDocument* doc = pieces.document();
        const int lineStart = 3;
        const int lastLine = doc->lastBlock().position();
        QVERIFY(!pieces.isContinuation(doc->firstBlock()));
        QVERIFY(!pieces.isContinuation(doc->findBlock(lineStart)));
        QVERIFY(pieces.isContinuation(doc->findBlock(lineStart).next()));
        QVERIFY(!pieces.isContinuation(doc->lastBlock()));
        QCOMPARE(pieces.lineBreaksBetween(0, lineStart), 1);
        QCOMPARE(pieces.lineBreaksBetween(lineStart, lastLine - 1), 0);
        QCOMPARE(pieces.lineBreaksBetween(lineStart + 1, lastLine), 1);
        QCOMPARE(pieces.lineBreaksBetween(0, lastLine + 2), 2);
        QCOMPARE(pieces.lineBreaksBetween(lastLine, 0), 0);
    }
    // Moving by text units from any place of the text lands where the same
    // move lands in the text held whole: a piece break is no unit, a line
    // break one; beyond either end the move stops there.
    void positionFromCountsTextUnits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("emptied");  // pieces of the long line emptied from the second on
        QTest::newRow("a line in pieces between short lines")
            << QStringLiteral("ab\n") + LongLine() + QStringLiteral("\ncd\n\nef") << 0;
        QTest::newRow("empty lines before and after")
            << QStringLiteral("\n\n") + LongLine() + QStringLiteral("\n\n") << 0;
        QTest::newRow("emptied pieces") << QStringLiteral("ab\n") + LongLine() + QStringLiteral("\ncd") << 3;
    }
    void positionFromCountsTextUnits()
    {
        QFETCH(QString, text);
        QFETCH(int, emptied);
        Pieces area;
        TPieceModel& pieces = area.model;
        pieces.setText(text);
        const QTextDocument* doc = pieces.document();
        const int first = doc->findBlock(text.indexOf(LongLine())).blockNumber() + 1;
        EmptyPieces(pieces, first, first + emptied - 1);
        const int length = int(pieces.text().size());
        for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
            const int end = block.position() + block.length() - 1;
            for (const int position : {block.position(), std::min(block.position() + 1, end), end}) {
                const int at = TextAt(pieces, position);
                for (const int offset : {-5000, -130, -129, -128, -3, -1, 0, 1, 3, 128, 129, 130, 5000}) {
                    const int expected = std::clamp(at + offset, 0, length);
                    QVERIFY2(TextAt(pieces, pieces.positionFrom(position, offset)) == expected,
                             qPrintable(QStringLiteral("from %1 by %2").arg(position).arg(offset)));
                }
            }
        }
    }

    // Whether the last line is empty, pieces emptied by editing passed over.
    void lastLineEmpty_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keep");  // the blocks of the long line that keep their text; -1 all
        QTest::addColumn<bool>("empty");
        QTest::newRow("no text") << QString() << -1 << true;
        QTest::newRow("ends with a line break") << QStringLiteral("ab\n") << -1 << true;
        QTest::newRow("ends with text") << QStringLiteral("ab") << -1 << false;
        QTest::newRow("ends with a line in pieces") << QStringLiteral("ab\n") + LongLine() << -1 << false;
        QTest::newRow("pieces after the first emptied") << QStringLiteral("ab\n") + LongLine() << 1 << false;
        QTest::newRow("every piece emptied") << QStringLiteral("ab\n") + LongLine() << 0 << true;
    }
    void lastLineEmpty()
    {
        QFETCH(QString, text);
        QFETCH(int, keep);
        QFETCH(bool, empty);
        Pieces area;
        TPieceModel& pieces = area.model;
        pieces.setText(text);
        if (keep >= 0) {
            const int first = pieces.document()->findBlock(int(text.indexOf(LongLine()))).blockNumber();
            EmptyPieces(pieces, first + keep, pieces.document()->blockCount() - 1);
        }
        QCOMPARE(pieces.lastLineEmpty(), empty);
    }

    // The cluster edge at or beside a place is a cluster boundary of the text
    // held whole, or the edge of the place's block; in a piece that starts
    // inside a cluster longer than a piece, the piece before counts.
    void clusterEdgeKeepsClustersWhole_data()
    {
        QTest::addColumn<QString>("text");
        const QString filler(LongLineLength, u'x');
        // The cut at 128 falls before a joiner: the piece after starts with it.
        QTest::newRow("joined emoji longer than a piece")
            << QStringLiteral("\U0001F468") + QStringLiteral("\u200D\U0001F469").repeated(100) + filler;
        QTest::newRow("accents longer than a piece")
            << QStringLiteral("e") + QStringLiteral("\u0301").repeated(300) + filler;
        QTest::newRow("surrogate pairs") << QStringLiteral("x\U0001F600").repeated(200) + filler;
        QTest::newRow("flags") << QStringLiteral("a") + QStringLiteral("\U0001F1E9\U0001F1EA").repeated(150) + filler;
    }
    void clusterEdgeKeepsClustersWhole()
    {
        QFETCH(QString, text);
        Pieces area;
        TPieceModel& pieces = area.model;
        pieces.setText(text);
        QVERIFY(pieces.hasPieces());
        TGraphemes graphemes(text);
        const QTextDocument* doc = pieces.document();
        for (QTextBlock block = doc->firstBlock(); block.blockNumber() < 5; block = block.next()) {
            const int end = block.position() + block.length() - 1;
            for (int position = block.position(); position <= end; ++position) {
                for (const bool forward : {false, true}) {
                    const int edge = pieces.clusterEdge(position, forward);
                    const QString where = QStringLiteral("%1 %2").arg(position).arg(forward ? "forward" : "back");
                    QVERIFY2(edge >= block.position() && edge <= end, qPrintable(where));
                    QVERIFY2(forward ? edge >= position : edge <= position, qPrintable(where));
                    const bool boundary = graphemes.isBoundary(TextAt(pieces, edge));
                    QVERIFY2(boundary || edge == block.position() || edge == end, qPrintable(where));
                    if (graphemes.isBoundary(TextAt(pieces, position)))
                        QVERIFY2(edge == position, qPrintable(where));
                }
            }
        }
    }

    // Text of several long lines put in at once: each is cut into pieces.
    void splitCutsEveryLongLine_data()
    {
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<int>("longLine");
        QTest::newRow("two long lines") << LongLine() + u'\n' + LongLine() << int(LongLineLength);
        // The first one's cuts move the second one farther than its length.
        QTest::newRow("a line of many pieces, then one just too long")
            << LongLine(40000) + u'\n' + LongLine(220) + QStringLiteral("\nende") << 200;
    }
    void splitCutsEveryLongLine()
    {
        QFETCH(QString, inserted);
        QFETCH(int, longLine);
        Pieces area;
        TPieceModel& pieces = area.model;
        pieces.setLongLineLength(longLine);
        pieces.setText(QStringLiteral("vorher\nnachher"));
        QTextCursor cursor(pieces.document());
        cursor.setPosition(7);
        cursor.insertText(inserted + u'\n');
        QVERIFY(pieces.splitLongBlocks(7, cursor.position()));
        CheckPiecesHold(pieces, QStringLiteral("vorher\n") + inserted + QStringLiteral("\nnachher"), longLine);
    }
};

VEXLO_CORE_TEST_MAIN(TestPieceModel)
#include "test_piecemodel.moc"
