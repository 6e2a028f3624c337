#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>
#include <QWheelEvent>

#include "counting/infoline.h"
#include "counting/limitview.h"
#include "framework/LabelButton.h"
#include "shownmainwindow.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/main.h"

Q_DECLARE_METATYPE(QVector<TMarkRange>)

namespace {

bool HasColor(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

// Paragraphs of prose, about size characters in all.
QString Paragraphs(int size)
{
    QString text;
    for (int i = 0; text.size() < size; ++i) {
        text += QStringLiteral("Absatz %1: Danke an alle von uns, die uns so herzlich aufgenommen haben.").arg(i);
        text += i % 6 == 5 ? QStringLiteral("\n") : QStringLiteral(" ");
    }
    return text;
}

}  // namespace

class TestLimitView : public QObject {
    Q_OBJECT

    ShownMainWindow m_window;
    TfrmMain* m_form = nullptr;

    // The main window with limits stored in its settings file.
    void createForm(int guestBook, int forum)
    {
        m_window.close();
        WriteFileBytes(
            m_window.iniPath(),
            QStringLiteral("[Config]\r\nGrenzeGB=%1\r\nGrenzeForum=%2\r\n").arg(guestBook).arg(forum).toUtf8());
        m_form = m_window.create();
    }
    TLimitView* view() const { return m_form->findChild<TLimitView*>(QStringLiteral("limitView")); }
    TInfoLine* infoLine() const { return m_form->findChild<TInfoLine*>(QStringLiteral("infoLine")); }

private slots:
    void initTestCase() { QVERIFY(m_window.isValid()); }
    void cleanup()
    {
        m_window.close();
        m_form = nullptr;
    }

    void markRanges_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QVector<TMarkRange>>("expected");
        QTest::newRow("none passed") << -1 << -1 << QVector<TMarkRange>{};
        QTest::newRow("first only") << 4 << -1 << QVector<TMarkRange>{{4, 10, false}};
        QTest::newRow("second only") << -1 << 7 << QVector<TMarkRange>{{7, 10, false}};
        QTest::newRow("both") << 4 << 7 << QVector<TMarkRange>{{4, 7, false}, {7, 10, true}};
        QTest::newRow("both, other order") << 7 << 4 << QVector<TMarkRange>{{4, 7, false}, {7, 10, true}};
        QTest::newRow("same place") << 5 << 5 << QVector<TMarkRange>{{5, 10, true}};
    }
    void markRanges()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QVector<TMarkRange>, expected);
        QCOMPARE(MarkRanges(first, second, 10), expected);
    }

    void limitPart_data()
    {
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("warning");
        QTest::newRow("room") << qsizetype(2000) << qsizetype(92) << QStringLiteral("G: noch 1908") << false;
        QTest::newRow("just outside a tenth")
            << qsizetype(2000) << qsizetype(1799) << QStringLiteral("G: noch 201") << false;
        QTest::newRow("within a tenth") << qsizetype(2000) << qsizetype(1800) << QStringLiteral("G: noch 200") << true;
        QTest::newRow("at the limit") << qsizetype(5) << qsizetype(5) << QStringLiteral("G: noch 0") << true;
        QTest::newRow("past the limit") << qsizetype(2000) << qsizetype(2092) << QStringLiteral("G: 92 zu viel")
                                        << true;
        QTest::newRow("small limit, room") << qsizetype(5) << qsizetype(4) << QStringLiteral("G: noch 1") << false;
    }
    void limitPart()
    {
        QFETCH(qsizetype, limit);
        QFETCH(qsizetype, count);
        QFETCH(QString, text);
        QFETCH(bool, warning);
        const auto part = LimitPart(QStringLiteral("G"), limit, count);
        QVERIFY(part.has_value());
        QCOMPARE(part->text, text);
        QCOMPARE(part->warning, warning);
    }

    void noLimitNoPart_data()
    {
        QTest::addColumn<qsizetype>("limit");
        QTest::newRow("zero") << qsizetype(0);
        QTest::newRow("negative") << qsizetype(-5);
    }
    void noLimitNoPart()
    {
        QFETCH(qsizetype, limit);
        QVERIFY(!LimitPart(QStringLiteral("G"), limit, 3).has_value());
    }

    // What the line says in the window, as the user types and selects.
    void infoText_data()
    {
        QTest::addColumn<int>("guestBook");
        QTest::addColumn<int>("forum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selectFrom");
        QTest::addColumn<int>("selectTo");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << 2000 << 3000 << QString(92, u'x') << 0 << 0
                                  << QStringLiteral("Gästebuch: noch 1908 · Forum: noch 2908");
        QTest::newRow("past one") << 5 << 8 << QStringLiteral("abcdefg") << 0 << 0
                                  << QStringLiteral("Gästebuch: 2 zu viel · Forum: noch 1");
        QTest::newRow("exactly at both") << 5 << 5 << QStringLiteral("ab\nc") << 0 << 0
                                         << QStringLiteral("Gästebuch: noch 0 · Forum: noch 0");
        QTest::newRow("no guest-book limit")
            << 0 << 8 << QStringLiteral("abc") << 0 << 0 << QStringLiteral("Forum: noch 5");
        QTest::newRow("no limits") << -1 << 0 << QStringLiteral("abc") << 0 << 0 << QString();
        QTest::newRow("selection counts breaks two")
            << 2000 << 3000 << QStringLiteral("ab\ncd") << 1 << 4
            << QStringLiteral("Gästebuch: noch 1994 · Forum: noch 2994 · Auswahl: 4");
        QTest::newRow("selection of an emoji")
            << 0 << 0 << QStringLiteral("a\U0001F600") << 1 << 3 << QStringLiteral("Auswahl: 2");
    }
    void infoText()
    {
        QFETCH(int, guestBook);
        QFETCH(int, forum);
        QFETCH(QString, text);
        QFETCH(int, selectFrom);
        QFETCH(int, selectTo);
        QFETCH(QString, expected);
        createForm(guestBook, forum);
        m_form->memoMain->setText(text);
        QTextCursor cursor(m_form->memoMain->document());
        cursor.setPosition(selectFrom);
        cursor.setPosition(selectTo, QTextCursor::KeepAnchor);
        m_form->memoMain->setTextCursor(cursor);
        ShowFigures();
        QCOMPARE(infoLine()->text(), expected);
    }

    void infoLineFollowsTypingAndSettings()
    {
        createForm(5, 8);
        m_form->memoMain->setFocus();
        QTest::keyClicks(m_form->memoMain, QStringLiteral("abcd"));
        ShowFigures();
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch: noch 1 · Forum: noch 4"));
        QVERIFY(!infoLine()->parts().at(0).warning);
        QTest::keyClick(m_form->memoMain, Qt::Key_Return);
        ShowFigures();
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch: 1 zu viel · Forum: noch 2"));
        QVERIFY(infoLine()->parts().at(0).warning);
        // New limits take effect when the window recounts after the settings dialog.
        WriteFileBytes(m_window.iniPath(), "[Config]\r\nGrenzeGB=100\r\nGrenzeForum=0\r\n");
        m_form->LoadSettings();
        m_form->UpdateCharCount();
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch: noch 94"));
    }

    // The text area keeps its box; the line sits inside it, below the text.
    void infoLinePlacement()
    {
        createForm(2000, 3000);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        QCOMPARE(memo->geometry(), QRect(79, 60, 319, 215));
        const QRect line = infoLine()->geometry();
        QCOMPARE(line.bottom(), memo->height() - 1);
        QCOMPARE(line.left(), 0);
        QCOMPARE(line.width(), memo->viewport()->width());
        QVERIFY(line.height() > 8);
        QCOMPARE(memo->viewport()->geometry().bottom() + 1, line.top());
        QVERIFY(!line.intersects(memo->verticalScrollBar()->parentWidget()->geometry()));
        m_form->resize(600, 400);
        QCOMPARE(infoLine()->geometry().bottom(), memo->height() - 1);
        QCOMPARE(infoLine()->width(), memo->viewport()->width());
    }

    void infoLineFontAndColours()
    {
        createForm(2000, 3000);
        TMemo* memo = m_form->memoMain;
        QCOMPARE(infoLine()->font().family(), memo->font().family());
        QVERIFY(infoLine()->font().pointSizeF() < memo->font().pointSizeF());
        memo->setFont(QFont(QStringLiteral("Courier"), 12));
        QCOMPARE(infoLine()->font().family(), QStringLiteral("Courier"));
        QCOMPARE(infoLine()->font().pointSizeF(), 10.0);
        QCOMPARE(infoLine()->palette().color(QPalette::Window), ToQColor(ColorGreen));
        m_form->ShowLayout(ColorBlue);
        QCOMPARE(infoLine()->palette().color(QPalette::Window), ToQColor(ColorBlue));
    }

    void warningDrawn_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("warning");
        QTest::newRow("far from the limit") << 10 << false;
        QTest::newRow("within a tenth") << 95 << true;
        QTest::newRow("past") << 120 << true;
    }
    void warningDrawn()
    {
        QFETCH(int, length);
        QFETCH(bool, warning);
        createForm(100, 0);
        m_form->memoMain->setText(QString(length, u'x'));
        ShowFigures();
        const QImage image = FreshlyPainted(infoLine());
        QCOMPARE(HasColor(image, TInfoLine::warningColor()), warning);
        QVERIFY(!HasColor(image, QColor(Qt::red)));
    }

    // The marks cover the text past each limit.
    void marks_data()
    {
        QTest::addColumn<int>("guestBook");
        QTest::addColumn<int>("forum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<TMarkRange>>("expected");
        QTest::newRow("within both") << 5 << 8 << QStringLiteral("abcde") << QVector<TMarkRange>{};
        QTest::newRow("ten characters") << 5 << 8 << QStringLiteral("abcdefghij")
                                        << QVector<TMarkRange>{{5, 8, false}, {8, 10, true}};
        QTest::newRow("line break across the limit")
            << 3 << 0 << QStringLiteral("ab\ncd") << QVector<TMarkRange>{{2, 5, false}};
        QTest::newRow("no limits mark nothing") << 0 << -1 << QStringLiteral("abcdefghij") << QVector<TMarkRange>{};
        QTest::newRow("emoji across the limit")
            << 2 << 0 << QStringLiteral("a\U0001F600b") << QVector<TMarkRange>{{1, 4, false}};
        // A character the limit cuts between its code points is past it whole.
        QTest::newRow("flag across the limit")
            << 4 << 0 << QStringLiteral("ab\U0001F1E9\U0001F1EAc") << QVector<TMarkRange>{{2, 7, false}};
        QTest::newRow("skin tone across the limit")
            << 4 << 0 << QStringLiteral("ab\U0001F44D\U0001F3FD") << QVector<TMarkRange>{{2, 6, false}};
        QTest::newRow("accent across the limit, one past")
            << 2 << 3 << QStringLiteral("ae\u0301b") << QVector<TMarkRange>{{1, 3, false}, {3, 4, true}};
    }
    void marks()
    {
        QFETCH(int, guestBook);
        QFETCH(int, forum);
        QFETCH(QString, text);
        QFETCH(QVector<TMarkRange>, expected);
        createForm(guestBook, forum);
        m_form->memoMain->setText(text);
        QCOMPARE(view()->marks(), expected);
        QVERIFY(m_form->memoMain->extraSelections().isEmpty());
    }

    void marksDrawnNotStored()
    {
        createForm(5, 8);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("abcdefghij"));
        const int undoSteps = memo->document()->availableUndoSteps();
        QImage image = FreshlyPainted(memo->viewport());
        QVERIFY(HasColor(image, TLimitView::pastOneColor()));
        QVERIFY(HasColor(image, TLimitView::pastBothColor()));
        QCOMPARE(memo->text(), QStringLiteral("abcdefghij"));
        QCOMPARE(memo->document()->availableUndoSteps(), undoSteps);
        QTest::mouseClick(m_form->lblCopyClip, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abcdefghij"));
        // A marked line break is drawn across to the right edge.
        memo->setText(QStringLiteral("abcd\nx"));
        image = FreshlyPainted(memo->viewport());
        const int firstLine = memo->fontMetrics().height() / 2 + int(memo->document()->documentMargin());
        QCOMPARE(image.pixelColor(image.width() - 3, firstLine), TLimitView::pastOneColor());
    }

    // Scrolled into the middle of a long text past both limits, the whole text area is marked.
    void marksFillTheAreaDeepInTheText()
    {
        createForm(5, 8);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("Zeile %1\n").arg(i);
        memo->setText(text);
        QTextCursor cursor(memo->document()->findBlockByNumber(150));
        memo->setTextCursor(cursor);
        memo->centerCursor();
        const QImage image = FreshlyPainted(memo->viewport());
        for (int y = 0; y < image.height(); y += 7)
            QCOMPARE(image.pixelColor(image.width() - 2, y), TLimitView::pastBothColor());
        // The margin left of the text stays clear, as beside a short text.
        QCOMPARE(image.pixelColor(1, image.height() / 2), QColor(Qt::white));
    }

    // Scrolled by the keys or the wheel, the window shows the marks as a fresh
    // painting of the same place does (once Qt has laid out all lines shown):
    // down the right edge white, then light red, then dark red, no bands.
    // Nothing here lays out text before the window paints it.
    void marksAfterScrolling_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Page Down") << 0;
        QTest::newRow("wheel") << 1;
        QTest::newRow("wheel after einfügen") << 2;
    }
    void marksAfterScrolling()
    {
        QFETCH(int, way);
        createForm(2000, 3000);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        QWidget* viewport = memo->viewport();
        memo->setText(Paragraphs(6000));
        if (way == 2) {
            QApplication::clipboard()->setText(Paragraphs(1500));
            QTest::mouseClick(m_form->lblClipPaste, Qt::LeftButton);
        }
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
        const QColor order[] = {QColor(Qt::white), TLimitView::pastOneColor(), TLimitView::pastBothColor()};
        QSet<int> seen;
        for (int step = 1; step <= 8; ++step) {
            if (way == 0) {
                QTest::keyClick(memo, Qt::Key_PageDown);
            } else {
                const QPoint at(viewport->width() / 2, viewport->height() / 2);
                QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(viewport, &wheel);
            }
            const QImage shown = ShownViewport(m_form, viewport);
            const QImage fresh = FreshlyPainted(viewport);
            const int x = shown.width() - 2;
            int level = 0;
            for (int y = 0; y < shown.height(); ++y) {
                const QColor colour = shown.pixelColor(x, y);
                QVERIFY2(colour == fresh.pixelColor(x, y),
                         qPrintable(QStringLiteral("step %1, y %2: %3 instead of %4")
                                        .arg(step)
                                        .arg(y)
                                        .arg(colour.name(), fresh.pixelColor(x, y).name())));
                const int at = int(std::find(std::begin(order), std::end(order), colour) - std::begin(order));
                QVERIFY2(at < 3 && at >= level, qPrintable(QStringLiteral("step %1, y %2").arg(step).arg(y)));
                level = at;
                seen.insert(at);
            }
        }
        QCOMPARE(seen, (QSet<int>{0, 1, 2}));
    }

    // An edit moves the marks with the text, also when Qt repaints only the
    // edited line: the cell of the character at `clear` is white afterwards,
    // that at `marked` light red (a line break's cell lies right of its line).
    void markAfterEdit_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("clear");
        QTest::addColumn<int>("marked");
        QTest::newRow("typed at the limit's place")
            << 5 << QStringLiteral("abcd\nx") << 4 << int(Qt::Key_E) << 5 << 4 << 5;
        QTest::newRow("typed a line before") << 7 << QStringLiteral("abc\ndefgh") << 0 << int(Qt::Key_X) << 6 << 5 << 6;
        QTest::newRow("deleted a line before")
            << 7 << QStringLiteral("xabc\ndefgh") << 1 << int(Qt::Key_Backspace) << 6 << 5 << 6;
    }
    void markAfterEdit()
    {
        QFETCH(int, limit);
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(int, clear);
        QFETCH(int, marked);
        createForm(limit, 0);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        memo->setText(text);
        memo->setFocus();
        QTextCursor cursor(memo->document());
        cursor.setPosition(caret);
        memo->setTextCursor(cursor);
        ShownViewport(m_form, memo->viewport());
        QTest::keyClick(memo, Qt::Key(key), Qt::NoModifier);
        QCOMPARE(view()->marks().value(0).from, start);
        const QImage shown = ShownViewport(m_form, memo->viewport());
        const auto cell = [memo, &cursor](int position) {
            cursor.setPosition(position);
            const QRect left = memo->cursorRect(cursor);
            cursor.setPosition(position + 1);
            const QRect right = memo->cursorRect(cursor);
            const int width = right.top() == left.top() ? right.left() - left.left() - 3 : 6;
            return QRect(left.left() + 2, left.top(), width, left.height());
        };
        QVERIFY(!HasColor(shown.copy(cell(clear)), TLimitView::pastOneColor()));
        QVERIFY(HasColor(shown.copy(cell(marked)), TLimitView::pastOneColor()));
    }

    // A line added at the end is marked as soon as it shows, also when the
    // area scrolls to it: typed line by line past both limits, or after
    // Ctrl+End and Enter at the end of a long text. The cell right of the
    // caret's line is checked after every key.
    void newLastLineMarked_data()
    {
        QTest::addColumn<int>("guestBook");
        QTest::addColumn<int>("forum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QStringList typed;
        for (int i = 1; i <= 24; ++i)
            typed << QStringLiteral("Zeile %1").arg(i);
        QTest::newRow("lines typed until the area scrolls") << 5 << 10 << QString() << typed;
        QTest::newRow("Enter at the end of a long text")
            << 2000 << 3000 << Paragraphs(3694) << QStringList{QString(), QStringLiteral("Grüße aus Köln")};
        QTest::newRow("Enter at the end of a text just past the limit")
            << 50 << 60 << Paragraphs(400).left(61) << QStringList{QString(), QStringLiteral("Grüße aus Köln")};
    }
    void newLastLineMarked()
    {
        QFETCH(int, guestBook);
        QFETCH(int, forum);
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        createForm(guestBook, forum);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        memo->setText(text);
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
        ShownViewport(m_form, memo->viewport());
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0 || !text.isEmpty())
                QTest::keyClick(memo, Qt::Key_Return);
            for (QChar key : lines[i])  // umlauts too, as a German keyboard sends them
                QTest::sendKeyEvent(QTest::Click, memo, Qt::Key(QChar(key).toUpper().unicode()), QString(key),
                                    Qt::NoModifier);
            const QImage shown = ShownViewport(m_form, memo->viewport());
            const QRect caret = memo->cursorRect();
            QVERIFY2(caret.bottom() < shown.height(), qPrintable(QStringLiteral("line %1 not shown").arg(i)));
            const QPoint cell(shown.width() - 2, caret.center().y());
            const QColor colour = shown.pixelColor(cell);
            const QColor fresh = FreshlyPainted(memo->viewport()).pixelColor(cell);
            QVERIFY2(
                colour == fresh && colour != QColor(Qt::white),
                qPrintable(QStringLiteral("line %1: %2, painted afresh %3").arg(i).arg(colour.name(), fresh.name())));
            if (!lines[i].isEmpty())  // the last character typed, under its glyph
                QVERIFY(HasColor(shown.copy(QRect(caret.left() - 4, caret.top(), 3, caret.height())), colour));
        }
    }

    // New limits move the marks without a change of the text: the last line
    // is painted again up to the right edge, where a mark now ends or begins.
    void marksFollowNewLimits_data()
    {
        QTest::addColumn<int>("guestBook");
        QTest::addColumn<int>("forum");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("raised past the text") << 50 << 80 << QColor(Qt::white);
        QTest::newRow("lowered into the last line") << 3 << 4 << TLimitView::pastBothColor();
        QTest::newRow("forum limit raised") << 5 << 80 << TLimitView::pastOneColor();
    }
    void marksFollowNewLimits()
    {
        QFETCH(int, guestBook);
        QFETCH(int, forum);
        QFETCH(QColor, colour);
        createForm(5, 8);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        memo->setText(QStringLiteral("a\nabcdefghij"));
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
        ShownViewport(m_form, memo->viewport());
        view()->showLimits(guestBook, forum);
        const QImage shown = ShownViewport(m_form, memo->viewport());
        const QPoint edge(shown.width() - 2, memo->cursorRect().center().y());
        QCOMPARE(shown.pixelColor(edge), colour);
        QCOMPARE(FreshlyPainted(memo->viewport()).pixelColor(edge), colour);
    }

    // The count and the info line are painted after the text they count, and
    // then show what a fresh painting shows, also after several keys in one pass.
    void figuresShownAfterTheText()
    {
        createForm(5, 8);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TMemo* memo = m_form->memoMain;
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("abcdefg"));
        ShownViewport(m_form, memo);
        for (const QString& keys : {QStringLiteral("h"), QStringLiteral("ijk")}) {
            for (QChar key : keys)
                QApplication::postEvent(memo, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(key)));
            QCoreApplication::sendPostedEvents();
            // The first pass painted the text; the figures are not yet worked out.
            QVERIFY(m_form->lblCharCount->text() != QString::number(memo->charCount()));
            const QImage count = ShownViewport(m_form, m_form->lblCharCount);
            QVERIFY(m_form->lblCharCount->updatesEnabled());
            QCOMPARE(m_form->lblCharCount->text(), QString::number(memo->charCount()));
            QCOMPARE(count, FreshlyPainted(m_form->lblCharCount));
            QCOMPARE(ShownViewport(m_form, infoLine()), FreshlyPainted(infoLine()));
        }
    }

    void copyEntries_data()
    {
        QTest::addColumn<int>("guestBook");
        QTest::addColumn<int>("forum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("guestBookEnabled");
        QTest::addColumn<bool>("forumEnabled");
        QTest::addColumn<QString>("guestBookCopy");
        QTest::newRow("both passed") << 7 << 12 << QStringLiteral("Hallo Welt, wie geht es?") << true << true
                                     << QStringLiteral("Hallo");
        QTest::newRow("text fits") << 100 << 200 << QStringLiteral("Hallo") << false << false << QString();
        QTest::newRow("exactly at the limit") << 5 << 200 << QStringLiteral("Hallo") << false << false << QString();
        QTest::newRow("no guest-book limit") << 0 << 3 << QStringLiteral("Hallo") << false << true << QString();
        QTest::newRow("hard cut") << 4 << 0 << QStringLiteral("Hallo") << true << false << QStringLiteral("Hall");
        QTest::newRow("back to a line break")
            << 9 << 0 << QStringLiteral("Hallo\nWelt") << true << false << QStringLiteral("Hallo");
        // A line long enough to be held in pieces: piece breaks are no line breaks.
        const QString longWord(20000, u'a');
        QTest::newRow("long line, hard cut") << 1000 << 0 << longWord << true << false << longWord.left(1000);
        const QString longLine = QStringLiteral("wort ").repeated(4000);
        QTest::newRow("long line, back to a blank") << 5003 << 0 << longLine << true << false << longLine.left(4999);
        // Counted as sent, the limit falls between the halves of a flag; the copy ends before it.
        const QString flags = QStringLiteral("ab") + QStringLiteral("\U0001F1E9\U0001F1EA").repeated(1000);
        QTest::newRow("flags in pieces, hard cut") << 1001 << 0 << flags << true << false << flags.left(998);
    }
    void copyEntries()
    {
        QFETCH(int, guestBook);
        QFETCH(int, forum);
        QFETCH(QString, text);
        QFETCH(bool, guestBookEnabled);
        QFETCH(bool, forumEnabled);
        QFETCH(QString, guestBookCopy);
        createForm(guestBook, forum);
        m_form->memoMain->setText(text);
        QApplication::clipboard()->setText(QStringLiteral("vorher"));
        std::unique_ptr<QMenu> menu(m_form->memoMain->createContextMenu(QPoint(5, 5)));
        auto* copyGB = menu->findChild<QAction*>(QStringLiteral("miCopyGB"));
        auto* copyForum = menu->findChild<QAction*>(QStringLiteral("miCopyForum"));
        QVERIFY(copyGB && copyForum);
        QCOMPARE(copyGB->text(), QStringLiteral("Bis zur Gästebuch-Grenze kopieren"));
        QCOMPARE(copyForum->text(), QStringLiteral("Bis zur Forum-Grenze kopieren"));
        // The standard entries stay, ours come last.
        QVERIFY(menu->actions().size() > 3);
        QCOMPARE(menu->actions().last(), copyForum);
        QCOMPARE(copyGB->isEnabled(), guestBookEnabled);
        QCOMPARE(copyForum->isEnabled(), forumEnabled);
        if (guestBookEnabled) {
            copyGB->trigger();
            QCOMPARE(QApplication::clipboard()->text(), guestBookCopy);
            QCOMPARE(m_form->memoMain->text(), text);
        }
    }

    void toolTipOnDemand()
    {
        createForm(2000, 3000);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        m_form->memoMain->setText(QStringLiteral("Grüße an\nalle \U0001F600"));
        QCOMPARE(view()->statisticsText(),
                 QStringLiteral("Wörter: 4\nZeilen: 2\nBytes (UTF-8, Zeilenumbruch CR LF): 21\n"
                                "Zeichen ohne Zeilenumbrüche: 15"));
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), infoLine()->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(infoLine(), &help);
        QTRY_COMPARE(QToolTip::text(), infoLine()->text() + QStringLiteral("\n\n") + view()->statisticsText());
    }
};

VEXLO_TEST_MAIN(TestLimitView)
#include "test_limitview.moc"
