// The piece model on its own, without a text area: a document holding long
// lines in pieces reads as the same text held whole.
#include <QTest>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "text/linesplit.h"
#include "text/piecemodel.h"

namespace {

// A line without blanks, cut into pieces of exactly PieceLength units.
QString LongLine(qsizetype size = LongLineLength + 1000)
{
    QString line;
    for (qsizetype i = 0; i < size; ++i)
        line += QChar(char16_t(u'a' + i % 26));
    return line;
}

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

// The text and the count agree with the expected text, and no block is longer
// than its limit.
void CheckHolds(const TPieceModel& pieces, const QString& expected)
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
        QVERIFY(block.length() - 1 <= (piece ? 2 * PieceLength : LongLineLength));
    }
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
        CheckHolds(model, text);
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
};

VEXLO_CORE_TEST_MAIN(TestPieceModel)
#include "test_piecemodel.moc"
