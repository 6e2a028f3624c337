#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <functional>

#include "testsupport.h"
#include "text/caretshaping.h"
#include "text/memo.h"

namespace {

// The numbers of the blocks whose glyphs are kept.
QList<int> KeptBlocks(const QPlainTextEdit& edit)
{
    QList<int> kept;
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next())
        if (block.layout()->cacheEnabled())
            kept << block.blockNumber();
    return kept;
}

}  // namespace

class TestCaretShaping : public QObject {
    Q_OBJECT

private slots:
    // Whatever moves the caret or changes the text, the caret's block alone
    // keeps its glyphs: the one it left lets them go.
    void caretBlockAlone()
    {
        QPlainTextEdit edit;
        new TCaretShaping(&edit);
        edit.setPlainText(QStringLiteral("eins\nzwei\ndrei\nvier\nfünf"));
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(KeptBlocks(edit), QList<int>{0});
        const struct {
            const char* step;
            std::function<void()> act;
            int block;  // the caret's afterwards
        } steps[] = {
            {"click",
             [&] {
                 const QTextCursor at(edit.document()->findBlockByNumber(1));
                 QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, edit.cursorRect(at).center());
             },
             1},
            {"Down", [&] { QTest::keyClick(&edit, Qt::Key_Down); }, 2},
            {"typed", [&] { QTest::keyClicks(&edit, QStringLiteral("xy")); }, 2},
            {"Enter", [&] { QTest::keyClick(&edit, Qt::Key_Return); }, 3},
            {"Backspace joins", [&] { QTest::keyClick(&edit, Qt::Key_Backspace); }, 2},
            {"Backspace at the start joins",
             [&] {
                 QTest::keyClick(&edit, Qt::Key_Home);
                 QTest::keyClick(&edit, Qt::Key_Backspace);
             },
             1},
            {"Ctrl+End", [&] { QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier); }, 3},
            {"undo", [&] { edit.undo(); }, 2},
            {"new text", [&] { edit.setPlainText(QStringLiteral("neu\nund mehr")); }, 0},
        };
        for (const auto& step : steps) {
            step.act();
            QCoreApplication::processEvents();  // the paints, which free the glyphs not kept
            QVERIFY2(edit.textCursor().blockNumber() == step.block, step.step);
            QVERIFY2(KeptBlocks(edit) == QList<int>{step.block}, step.step);
        }
    }

    // In a line held in pieces, the pieces within a word move's reach of
    // the caret's keep theirs too (pieces of 128 units: four on either
    // side), never those of another line; what the caret leaves lets go.
    void piecesWithinReach()
    {
        TMemo memo;
        memo.setLongLineLengthForTesting(100);
        memo.setText(QStringLiteral("eins\n") + QStringLiteral("abcdefghijklmnopqrstuvwxyz").repeated(77).left(2000) +
                     QStringLiteral("\nzwei"));
        memo.resize(300, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        QCOMPARE(memo.document()->blockCount(), 18);  // "eins", 16 pieces, "zwei"
        const auto range = [](int first, int last) {
            QList<int> blocks;
            for (int block = first; block <= last; ++block)
                blocks << block;
            return blocks;
        };
        const auto to = [&](int block) {
            return [&memo, block] { memo.setTextCursor(QTextCursor(memo.document()->findBlockByNumber(block))); };
        };
        const struct {
            const char* step;
            std::function<void()> act;
            QList<int> kept;
        } steps[] = {
            {"middle piece", to(8), range(4, 12)},
            {"first piece", to(1), range(1, 5)},
            // 256 units on: at the end of the second piece after it.
            {"Ctrl+Right", [&] { QTest::keyClick(&memo, Qt::Key_Right, Qt::ControlModifier); }, range(1, 6)},
            {"last piece", to(16), range(12, 16)},
            {"next line", to(17), QList<int>{17}},
            {"line before", to(0), QList<int>{0}},
        };
        for (const auto& step : steps) {
            step.act();
            QCoreApplication::processEvents();  // the paints, which free the glyphs not kept
            QVERIFY2(KeptBlocks(memo) == step.kept, step.step);
        }
    }
};

VEXLO_TEST_MAIN(TestCaretShaping)
#include "test_caretshaping.moc"
