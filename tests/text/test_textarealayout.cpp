#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "testsupport.h"
#include "text/memo.h"

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

// n units of an encoded blob: no place to break a line.
QString Run(int n)
{
    return QStringLiteral("QmFzZTY0LWtvZGllcnRlciBJbmhhbHQsIGtlaW4gTGVlcnplaWNoZW4gd2VpdA")
        .repeated(n / 62 + 1)
        .left(n);
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

    // Rows in and around long runs without a place to break wrap where a bare
    // Qt text area wraps them, whether or not a row reaches the next break.
    void longRunsWrapAsQtWraps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        const QString words = Prose(4).replace(u'\n', u' ');
        const QString broken = (Run(299) + u'-').repeated(6);
        QTest::newRow("a run alone") << Run(1900) << 319;
        QTest::newRow("words around a run") << words + Run(1200) + words << 319;
        QTest::newRow("a break every 300 units") << broken << 319;
        QTest::newRow("rows wider than the distance to a break") << broken << 4000;
        QTest::newRow("dotted names") << QStringLiteral("www.beispiel.de/").repeated(100) << 319;
    }
    void longRunsWrapAsQtWraps()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        TMemo memo;
        QPlainTextEdit bare;
        for (QPlainTextEdit* edit : {static_cast<QPlainTextEdit*>(&memo), &bare}) {
            Shape(*edit);
            edit->resize(width, 215);
        }
        bare.setWordWrapMode(memo.wordWrapMode());
        memo.setText(text);
        bare.setPlainText(text);
        QCoreApplication::processEvents();
        const QTextBlock shown = memo.document()->firstBlock();
        QVERIFY(shown.layout()->lineCount() > 3);
        QCOMPARE(Lines(shown), Lines(bare.document()->firstBlock()));
    }

    // Keys in a long paragraph paint only the rows they changed, yet the area
    // shows what a fresh paint of it would: rows whose words moved are
    // painted; a paragraph with right-to-left text, where a letter can
    // reorder rows it is not in, is painted whole.
    void editsPaintTheRowsTheyChange_data()
    {
        QTest::addColumn<int>("row");       // the row the keys are typed at the start of
        QTest::addColumn<QString>("keys");  // '<' is Backspace
        QTest::addColumn<bool>("partly");   // whether only some rows are painted again
        QTest::newRow("letters") << 3 << QStringLiteral("xyz") << true;
        QTest::newRow("a word pushed down the rows") << 3 << QStringLiteral("langeswortxyz ") << true;
        QTest::newRow("words pulled up the rows") << 3 << QStringLiteral("<<<<<<<<") << true;
        QTest::newRow("a right-to-left letter and back") << 0 << QStringLiteral("\u05D0<") << false;
    }
    void editsPaintTheRowsTheyChange()
    {
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(bool, partly);
        QApplication::setCursorFlashTime(0);  // the caret shows alike in both pictures
        TMemo memo;
        Shape(memo);
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        // A short first row, so that a letter typed at its start leaves the
        // other rows' text as it is; then short words in numbers.
        QString paragraph = QStringLiteral("Hallo ") + QString(60, u'w') + u' ';
        for (int i = 0; paragraph.size() < 1200; ++i)
            paragraph += QStringLiteral("%1, ").arg(i);
        memo.setText(paragraph);
        memo.setFocus();
        const QTextLayout* rows = memo.document()->firstBlock().layout();
        QTextCursor cursor(memo.document());
        cursor.setPosition(rows->lineAt(row).textStart());
        memo.setTextCursor(cursor);
        QTest::keyClick(&memo, Qt::Key_Space);  // the block's first edit always paints it whole
        QTest::keyClick(&memo, Qt::Key_Left);
        ShownViewport(&memo, memo.viewport());
        QSignalSpy painted(memo.document()->documentLayout(), SIGNAL(rowsChanged(QTextBlock, qreal, qreal)));

        for (const QChar key : keys) {
            if (key == u'<')
                QTest::keyClick(&memo, Qt::Key_Backspace);
            else
                QTest::sendKeyEvent(QTest::Click, &memo, Qt::Key_unknown, QString(key), Qt::NoModifier);
            const QImage shown = ShownViewport(&memo, memo.viewport());
            QVERIFY2(shown == FreshlyPainted(memo.viewport()), qPrintable(QStringLiteral("after %1").arg(key)));
        }
        QCOMPARE(!painted.isEmpty(), partly);
        for (const QList<QVariant>& told : painted)
            QVERIFY(told.at(2).toReal() - told.at(1).toReal() <
                    memo.blockBoundingRect(memo.document()->firstBlock()).height());
    }
};

VEXLO_TEST_MAIN(TestTextAreaLayout)
#include "test_textarealayout.moc"
