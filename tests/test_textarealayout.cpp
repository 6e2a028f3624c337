#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "memo.h"
#include "testsupport.h"

namespace {

// Many lines that wrap once in the area, as written prose does.
QString Prose(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü und mehr.\n");
    return text;
}

// Shown in the shape of the main window's text area.
void Shape(QPlainTextEdit& edit)
{
    edit.setFont(QFont(QStringLiteral("Arial"), 10));
    edit.setFrameShape(QFrame::NoFrame);
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit.resize(319, 215);
    edit.show();
}

// Where each shown line of a block starts, and how wide it may run.
QList<QPair<int, qreal>> Lines(const QTextBlock& block)
{
    QList<QPair<int, qreal>> lines;
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i)
        lines.append({layout->lineAt(i).textStart(), layout->lineAt(i).width()});
    return lines;
}

}  // namespace

class TestTextAreaLayout : public QObject {
    Q_OBJECT

private slots:
    // Edits in a shown text area of the main window's shape: the lines in
    // view wrap anew and the scroll range follows them, while the document
    // keeps reporting the area's width (the widest line is never measured
    // again across all blocks) and a block far off screen is not laid out.
    void editsLayOutTheirOwnBlocksOnly_data()
    {
        QTest::addColumn<int>("line");  // the line the caret goes to the end of
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("direction");  // whether the document gains or loses shown lines
        QTest::newRow("a typed word wraps onto a new line") << 3 << int(Qt::Key_X) << 40 << 1;
        QTest::newRow("typing in the first line") << 0 << int(Qt::Key_X) << 40 << 1;
        QTest::newRow("deleting unwraps a line") << 3 << int(Qt::Key_Backspace) << 30 << -1;
        QTest::newRow("a new line") << 3 << int(Qt::Key_Return) << 1 << 1;
    }
    void editsLayOutTheirOwnBlocksOnly()
    {
        QFETCH(int, line);
        QFETCH(int, key);
        QFETCH(int, times);
        QFETCH(int, direction);
        TMemo memo;
        Shape(memo);
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(Prose(3000));
        QTextDocument* doc = memo.document();
        const QTextBlock edited = doc->findBlockByNumber(line);
        QTextCursor cursor(edited);
        cursor.movePosition(QTextCursor::EndOfBlock);
        memo.setTextCursor(cursor);
        QCoreApplication::processEvents();
        QCOMPARE(doc->firstBlock().layout()->lineCount(), 2);  // the lines wrap, or the rows test nothing
        const int linesBefore = doc->lineCount();
        const int rangeBefore = memo.verticalScrollBar()->maximum();

        for (int i = 0; i < times; ++i)
            QTest::keyClick(&memo, Qt::Key(key));
        QCoreApplication::processEvents();

        const int linesAdded = doc->lineCount() - linesBefore;
        QVERIFY(linesAdded * direction > 0);
        QCOMPARE(memo.verticalScrollBar()->maximum(), rangeBefore + linesAdded);
        QCOMPARE(doc->documentLayout()->documentSize().width(), qreal(memo.viewport()->width()));
        QCOMPARE(doc->findBlockByNumber(2500).layout()->lineCount(), 0);
        // The edited line wraps where a bare Qt text area of the same shape wraps it.
        const QTextBlock shown = memo.textCursor().block();
        QPlainTextEdit bare;
        Shape(bare);
        bare.setWordWrapMode(memo.wordWrapMode());
        bare.setPlainText(shown.text());
        QCoreApplication::processEvents();
        QCOMPARE(Lines(shown), Lines(bare.document()->firstBlock()));
    }
};

VEXLO_TEST_MAIN(TestTextAreaLayout)
#include "test_textarealayout.moc"
