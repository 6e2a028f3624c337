// Backspace and Delete across pieces on the piece model alone, as the text
// area's keys edit: the same text as in the line held whole, and no piece
// left empty by the key.
#include <QKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "storage/textfile.h"
#include "text/linesplit.h"
#include "text/pieceediting.h"
#include "text/piecemodel.h"

namespace {

// A line without blanks, cut into pieces of exactly PieceLength units, after
// a short line: piece k is block k + 1 and starts at document position
// Before + k * (PieceLength + 1).
constexpr int Before = 7;  // "vorher\n"
QString LongLine()
{
    QString line;
    for (qsizetype i = 0; i < LongLineLength + 1000; ++i)
        line += QChar(char16_t(u'a' + i % 26));
    return line;
}

int DocPosition(int piece, int offset)
{
    return Before + piece * int(PieceLength + 1) + offset;
}

// Removes the document's text between two positions, piece breaks left in place.
void Remove(QTextDocument& document, int from, int to)
{
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

// The first block that is an empty piece, or -1.
int EmptyPiece(const QTextDocument& document)
{
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next())
        if (block.length() == 1 && (TPieceModel::isContinuation(block) || TPieceModel::isContinuation(block.next())))
            return block.blockNumber();
    return -1;
}

}  // namespace

class TestPieceEditing : public QObject {
    Q_OBJECT

private slots:
    void keysRemoveAcrossPieces_data()
    {
        QTest::addColumn<QList<int>>("emptied");  // pieces emptied beforehand, breaks left
        QTest::addColumn<bool>("trimFirst");      // the first piece cut to one unit beforehand
        QTest::addColumn<int>("block");           // where the caret stands, after the preparation
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("removed");  // the text position removed; the caret ends there
        const int piece = int(PieceLength);
        QTest::newRow("backspace over two emptied pieces")
            << QList<int>{1, 2} << false << 4 << 0 << int(Qt::Key_Backspace) << Before + piece - 1;
        QTest::newRow("delete over two emptied pieces")
            << QList<int>{1, 2} << false << 1 << piece << int(Qt::Key_Delete) << Before + piece;
        QTest::newRow("backspace empties a line's first piece")
            << QList<int>{} << true << 1 << 1 << int(Qt::Key_Backspace) << Before;
        QTest::newRow("delete empties a line's first piece")
            << QList<int>{} << true << 1 << 0 << int(Qt::Key_Delete) << Before;
    }
    void keysRemoveAcrossPieces()
    {
        QFETCH(QList<int>, emptied);
        QFETCH(bool, trimFirst);
        QFETCH(int, block);
        QFETCH(int, offset);
        QFETCH(int, key);
        QFETCH(int, removed);
        QTextDocument document;
        TPieceModel& pieces = *new TPieceModel(&document);
        pieces.setText(QStringLiteral("vorher\n") + LongLine());
        for (auto piece = emptied.crbegin(); piece != emptied.crend(); ++piece)
            Remove(document, DocPosition(*piece, 0), DocPosition(*piece, int(PieceLength)));
        if (trimFirst)
            Remove(document, DocPosition(0, 1), DocPosition(0, int(PieceLength)));
        const QString prepared = pieces.text();
        const int emptyBefore = EmptyPiece(document);

        QTextCursor cursor(&document);
        cursor.setPosition(document.findBlockByNumber(block).position() + offset);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        const TKeyEdit edit = DeleteAcrossPieces(pieces, &event, cursor);
        QVERIFY(edit.taken);
        if (edit.moveCaret)
            cursor = edit.caret;

        QString expected = prepared;
        expected.remove(removed, 1);
        QCOMPARE(pieces.text(), expected);
        QCOMPARE(pieces.charCount(), CountChars(expected));
        QCOMPARE(int(pieces.textBetween(0, cursor.position()).size()), removed);
        if (emptyBefore < 0)
            QCOMPARE(EmptyPiece(document), -1);
        document.undo();
        QCOMPARE(pieces.text(), prepared);
    }
};

VEXLO_CORE_TEST_MAIN(TestPieceEditing)
#include "test_pieceediting.moc"
