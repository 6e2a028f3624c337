// Taking the text out of the text area a slice at a time while it changes:
// the snapshot is the text exactly as it stands when it completes.
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "storage/recoverysnapshot.h"
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
};

VEXLO_CORE_TEST_MAIN(TestRecoverySnapshot)
#include "test_recoverysnapshot.moc"
