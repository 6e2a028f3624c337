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
    // Whatever moves the caret or changes the text, the caret's block and
    // its neighbours within reach keep their glyphs (lines of 600 units:
    // the next line on either side), and the blocks left behind let go.
    void blocksAroundTheCaret()
    {
        QPlainTextEdit edit;
        new TCaretShaping(&edit);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        QStringList lines;
        for (const char* word : {"eins", "zwei", "drei", "vier", "fünf"})
            lines << QString::fromUtf8(word).leftJustified(600, u'x');
        edit.setPlainText(lines.join(u'\n'));
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(KeptBlocks(edit), (QList<int>{0, 1}));
        const struct {
            const char* step;
            std::function<void()> act;
            int block;  // the caret's afterwards
            QList<int> kept;
        } steps[] = {
            {"click",
             [&] {
                 const QTextCursor at(edit.document()->findBlockByNumber(1));
                 QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, edit.cursorRect(at).center());
             },
             1,
             {0, 1, 2}},
            {"Down", [&] { QTest::keyClick(&edit, Qt::Key_Down); }, 2, {1, 2, 3}},
            {"typed", [&] { QTest::keyClicks(&edit, QStringLiteral("xy")); }, 2, {1, 2, 3}},
            // The short line "xy" brings the one before it within reach.
            {"Enter", [&] { QTest::keyClick(&edit, Qt::Key_Return); }, 3, {1, 2, 3, 4}},
            {"Backspace joins", [&] { QTest::keyClick(&edit, Qt::Key_Backspace); }, 2, {1, 2, 3}},
            {"Backspace at the start joins",
             [&] {
                 QTest::keyClick(&edit, Qt::Key_Home);
                 QTest::keyClick(&edit, Qt::Key_Backspace);
             },
             1,
             {0, 1, 2}},
            {"Ctrl+End", [&] { QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier); }, 3, {2, 3}},
            {"undo", [&] { edit.undo(); }, 2, {1, 2, 3}},
            {"new text", [&] { edit.setPlainText(QStringLiteral("neu\nund mehr")); }, 0, {0, 1}},
        };
        for (const auto& step : steps) {
            step.act();
            QCoreApplication::processEvents();  // the paints, which free the glyphs not kept
            QVERIFY2(edit.textCursor().blockNumber() == step.block, step.step);
            QVERIFY2(KeptBlocks(edit) == step.kept, step.step);
        }
    }

    // In a line held in pieces (of 128 units: four on either side within
    // reach), a word move's target and the pieces it crosses keep theirs,
    // and the lines next to it, as with any other block.
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
            {"first piece", to(1), range(0, 5)},
            // 256 units on: at the end of the second piece after it.
            {"Ctrl+Right", [&] { QTest::keyClick(&memo, Qt::Key_Right, Qt::ControlModifier); }, range(0, 6)},
            {"last piece", to(16), range(12, 17)},
            {"next line", to(17), range(12, 17)},
            {"line before", to(0), range(0, 4)},
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
