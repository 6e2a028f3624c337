// Taking the text out of the text area a slice at a time while it changes:
// the snapshot is the text exactly as it stands when it completes.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "storage/recoverysnapshot.h"
#include "testsupport.h"
#include "text/memo.h"

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
QTextCursor At(TMemo& memo, int number, int offset = 0, int count = 0)
{
    QTextCursor cursor(memo.document());
    cursor.setPosition(memo.document()->findBlockByNumber(number).position() + offset);
    cursor.setPosition(cursor.position() + count, QTextCursor::KeepAnchor);
    return cursor;
}

void Apply(TMemo& memo, Edit edit)
{
    switch (edit) {
        case Edit::TypeBefore:
            At(memo, 3, 2).insertText(QStringLiteral("x"));
            break;
        case Edit::TypeAfter:
            At(memo, 150, 2).insertText(QStringLiteral("x"));
            break;
        case Edit::TypeInLastTaken:
            At(memo, 49, 4).insertText(QStringLiteral("yy"));
            break;
        case Edit::ReplaceLetterBefore:  // the same length: only the signal tells
            At(memo, 7, 1, 1).insertText(QStringLiteral("Q"));
            break;
        case Edit::BreakLineBefore:
            At(memo, 10, 3).insertText(QStringLiteral("\n"));
            break;
        case Edit::JoinLinesBefore:
            At(memo, 11).deletePreviousChar();
            break;
        case Edit::DeleteAcross: {
            QTextCursor cursor = At(memo, 20, 2);
            cursor.setPosition(memo.document()->findBlockByNumber(120).position() + 1, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        }
        case Edit::PasteLinesBefore:
            At(memo, 5).insertText(QStringLiteral("eins\nzwei\ndrei\n").repeated(10));
            break;
        case Edit::LongLineBefore:
            // Pasted as the area pastes: the line is held in pieces.
            QGuiApplication::clipboard()->setText(QString(1500, u'w'));
            memo.setTextCursor(At(memo, 4, 2));
            memo.paste();
            QVERIFY(memo.isContinuation(memo.document()->findBlockByNumber(5)));
            break;
        case Edit::ReplaceAll:
            memo.setText(QStringLiteral("ganz\nneu"));
            break;
        case Edit::ClearAll:
            memo.clear();
            break;
        case Edit::Undo:
            memo.undo();
            break;
        case Edit::TwoApart:
            At(memo, 0).insertText(QStringLiteral("Anfang "));
            At(memo, memo.document()->blockCount() - 1, 1).insertText(QStringLiteral(" Ende"));
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

        TMemo memo;
        memo.setLongLineLengthForTesting(500);
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("Zeile %1 äöü").arg(i);
        memo.setText(lines.join(u'\n'));
        At(memo, 30, 1).insertText(QStringLiteral("rückgängig"));  // for the undo

        TTextSnapshot snapshot(&memo);
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
        const QString before = memo.text();
        Apply(memo, edit);
        QVERIFY(memo.text() != before);
        for (int i = 0; i < 100 && !taken; ++i)
            snapshot.step();
        QCOMPARE(done, 1);
        QCOMPARE(*taken, memo.text());
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
        TMemo memo;
        memo.setText(text);
        TTextSnapshot snapshot(&memo);
        std::optional<SnapshotText> taken;
        snapshot.onDone = [&](SnapshotText result) { taken = std::move(result); };
        snapshot.start();
        QTRY_VERIFY(taken.has_value());
        QCOMPARE(taken->isEmpty(), empty);
        QCOMPARE(taken->joined(), text);
    }
};

VEXLO_TEST_MAIN(TestRecoverySnapshot)
#include "test_recoverysnapshot.moc"
