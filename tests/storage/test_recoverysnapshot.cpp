// Taking the text out of the text area a slice at a time while it changes:
// the snapshot is the text exactly as it stands when it completes.
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "storage/recoverysnapshot.h"
#include "storage/recoverywriter.h"
#include "storage/textfile.h"
#include "text/pieceediting.h"
#include "text/piecemodel.h"

namespace {

enum class Edit {
    TypeBefore,
    TypeAfter,
    TypeInLastTaken,
    ReplaceLetterBefore,
    BreakLineBefore,
    JoinLinesBefore,
    DeleteAcross,
    PasteLinesBefore,
    LongLineBefore,
    ReplaceAll,
    ClearAll,
    Undo,
    TwoApart
};

// Selects count characters from the start of block `number` plus offset.
QTextCursor At(TPieceModel& pieces, int number, int offset = 0, int count = 0)
{
    QTextCursor cursor(pieces.document());
    cursor.setPosition(pieces.document()->findBlockByNumber(number).position() + offset);
    cursor.setPosition(cursor.position() + count, QTextCursor::KeepAnchor);
    return cursor;
}

void Apply(TPieceModel& pieces, Edit edit)
{
    switch (edit) {
        case Edit::TypeBefore:
            At(pieces, 3, 2).insertText(QStringLiteral("x"));
            break;
        case Edit::TypeAfter:
            At(pieces, 150, 2).insertText(QStringLiteral("x"));
            break;
        case Edit::TypeInLastTaken:
            At(pieces, 49, 4).insertText(QStringLiteral("yy"));
            break;
        case Edit::ReplaceLetterBefore:  // the same length: only the signal tells
            At(pieces, 7, 1, 1).insertText(QStringLiteral("Q"));
            break;
        case Edit::BreakLineBefore:
            At(pieces, 10, 3).insertText(QStringLiteral("\n"));
            break;
        case Edit::JoinLinesBefore:
            At(pieces, 11).deletePreviousChar();
            break;
        case Edit::DeleteAcross: {
            QTextCursor cursor = At(pieces, 20, 2);
            cursor.setPosition(pieces.document()->findBlockByNumber(120).position() + 1, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        }
        case Edit::PasteLinesBefore:
            At(pieces, 5).insertText(QStringLiteral("eins\nzwei\ndrei\n").repeated(10));
            break;
        case Edit::LongLineBefore:
            // Pasted as the area pastes: the line is held in pieces.
            ReplaceSelection(pieces, At(pieces, 4, 2), QString(1500, u'w'));
            QVERIFY(pieces.isContinuation(pieces.document()->findBlockByNumber(5)));
            break;
        case Edit::ReplaceAll:
            pieces.setText(QStringLiteral("ganz\nneu"));
            break;
        case Edit::ClearAll:
            pieces.document()->clear();
            break;
        case Edit::Undo:
            pieces.document()->undo();
            break;
        case Edit::TwoApart:
            At(pieces, 0).insertText(QStringLiteral("Anfang "));
            At(pieces, pieces.document()->blockCount() - 1, 1).insertText(QStringLiteral(" Ende"));
            break;
    }
}

}  // namespace

Q_DECLARE_METATYPE(Edit)

class TestRecoverySnapshot : public QObject {
    Q_OBJECT

private slots:
    void followsChangesMadeMeanwhile_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("slicesBefore");
        const std::pair<const char*, Edit> edits[] = {
            {"type before", Edit::TypeBefore},
            {"type after", Edit::TypeAfter},
            {"type in the last block taken", Edit::TypeInLastTaken},
            {"replace a letter before", Edit::ReplaceLetterBefore},
            {"break a line before", Edit::BreakLineBefore},
            {"join lines before", Edit::JoinLinesBefore},
            {"delete across", Edit::DeleteAcross},
            {"paste lines before", Edit::PasteLinesBefore},
            {"long line in pieces before", Edit::LongLineBefore},
            {"replace all", Edit::ReplaceAll},
            {"clear", Edit::ClearAll},
            {"undo", Edit::Undo},
            {"two apart", Edit::TwoApart},
        };
        for (const auto& [name, edit] : edits)
            for (const int slices : {1, 3})
                QTest::addRow("%s, after %d slices", name, slices) << edit << slices;
    }
    void followsChangesMadeMeanwhile()
    {
        QFETCH(Edit, edit);
        QFETCH(int, slicesBefore);

        QTextDocument document;
        TPieceModel& pieces = *new TPieceModel(&document);
        pieces.setLongLineLength(500);
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("Zeile %1 äöü").arg(i);
        pieces.setText(lines.join(u'\n'));
        At(pieces, 30, 1).insertText(QStringLiteral("rückgängig"));  // for the undo

        TTextSnapshot snapshot(&pieces);
        std::optional<QString> taken;
        int done = 0;
        snapshot.onDone = [&](SnapshotText text) {
            taken = text.joined();
            ++done;
        };
        snapshot.setSliceBlocksForTesting(25);
        snapshot.start();
        for (int i = 0; i < slicesBefore; ++i)
            QVERIFY(!snapshot.step());
        const QString before = pieces.text();
        Apply(pieces, edit);
        QVERIFY(pieces.text() != before);
        for (int i = 0; i < 100 && !taken; ++i)
            snapshot.step();
        QCOMPARE(done, 1);
        QCOMPARE(*taken, pieces.text());
        QVERIFY(!snapshot.isRunning());
    }

    void emptyTextIsEmpty_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("empty");
        QTest::newRow("nothing") << QString() << true;
        QTest::newRow("a line break") << QStringLiteral("\n") << false;
        QTest::newRow("a blank") << QStringLiteral(" ") << false;
    }
    void emptyTextIsEmpty()
    {
        QFETCH(QString, text);
        QFETCH(bool, empty);
        QTextDocument document;
        TPieceModel& pieces = *new TPieceModel(&document);
        pieces.setText(text);
        TTextSnapshot snapshot(&pieces);
        std::optional<SnapshotText> taken;
        snapshot.onDone = [&](SnapshotText result) { taken = std::move(result); };
        snapshot.start();
        QTRY_VERIFY(taken.has_value());
        QCOMPARE(taken->isEmpty(), empty);
        QCOMPARE(taken->joined(), text);
    }

    // The copy as written and read back, over the places where a part of
    // the writing, a piece of the copy's memory or a block ends.
    void writesWhatWasTaken_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("longLine");
        QTest::addColumn<bool>("whole");
        const qsizetype part = 1 << 16;
        const qsizetype piece = 1 << 19;
        // Over a piece of the copy's memory.
        const QString lines = QStringLiteral("Zeile äöü\n").repeated(60'000);
        QTest::newRow("lines over many parts") << lines << 500 << false;
        QTest::newRow("empty lines at both ends") << QStringLiteral("\n\nmitten\n\n") << 500 << false;
        QTest::newRow("a block of a part") << QString(part, u'a') + u'\n' + lines << int(part) << false;
        QTest::newRow("a line break ends a part")
            << QString(part - 1, u'a') + QStringLiteral("\nb") << int(part) << false;
        QTest::newRow("a block one past a part") << QString(part + 1, u'a') + u'\n' << int(part + 1) << false;
        QTest::newRow("a pair across parts")
            << QString(part - 1, u'a') + QStringLiteral("\U0001F600b\nc") << int(part + 2) << false;
        QTest::newRow("a block longer than a piece") << lines + QString(piece + 7, u'p') << int(piece + 7) << false;
        QTest::newRow("a long line in blocks") << QString(3 * part + 11, u'w') + u'\n' << 500 << false;
        QTest::newRow("taken whole, longer than a part") << lines << 500 << true;
    }
    void writesWhatWasTaken()
    {
        QFETCH(QString, text);
        QFETCH(int, longLine);
        QFETCH(bool, whole);
        QTextDocument document;
        TPieceModel& pieces = *new TPieceModel(&document);
        pieces.setLongLineLength(longLine);
        pieces.setText(text);
        QCOMPARE(pieces.text(), text);

        std::optional<SnapshotText> taken;
        if (whole) {
            taken = TTextSnapshot::TakeWhole(&pieces);
        } else {
            TTextSnapshot snapshot(&pieces);
            snapshot.onDone = [&](SnapshotText result) { taken = std::move(result); };
            snapshot.start();
            while (!taken)
                snapshot.step();
        }
        QCOMPARE(taken->joined(), text);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("recovery.txt"));
        TRecoveryWriter::WriteNow(file, std::move(*taken));
        QCOMPARE(ReadTextFile(file), text);
    }

    // Blocks taken again after changes leave their old text unused in the
    // copy's memory: past a limit the snapshot begins afresh, and is right.
    void manyChangesMeanwhile()
    {
        QTextDocument document;
        TPieceModel& pieces = *new TPieceModel(&document);
        const QString line = QString(400, u'z');
        pieces.setText(QStringList(3000, line).join(u'\n'));
        TTextSnapshot snapshot(&pieces);
        std::optional<QString> taken;
        snapshot.onDone = [&](SnapshotText text) { taken = text.joined(); };
        snapshot.setSliceBlocksForTesting(1000);
        snapshot.start();
        int steps = 0;
        for (int round = 0; round < 4 && !taken; ++round) {
            QVERIFY(!snapshot.step());
            ++steps;
            // The first thousand lines once more, each changed.
            QTextCursor cursor = At(pieces, 0);
            cursor.setPosition(pieces.document()->findBlockByNumber(999).position() + 400, QTextCursor::KeepAnchor);
            cursor.insertText(QStringList(1000, QString(400, QChar(u'a' + round))).join(u'\n'));
        }
        for (; steps < 100 && !taken; ++steps)
            snapshot.step();
        QVERIFY(taken.has_value());
        QCOMPARE(*taken, pieces.text());
    }
};

VEXLO_CORE_TEST_MAIN(TestRecoverySnapshot)
#include "test_recoverysnapshot.moc"
