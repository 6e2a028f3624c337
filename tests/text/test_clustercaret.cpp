#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "testsupport.h"
#include "text/graphemes.h"
#include "text/memo.h"

namespace {

// Whether text holds no half of a surrogate pair.
bool ValidUtf16(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && (i + 1 == text.size() || !text[i + 1].isLowSurrogate()))
            return false;
        if (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()))
            return false;
    }
    return true;
}

// Whether the caret and the selection's other end lie on cluster boundaries
// of the text, which is valid UTF-16.
QString Fault(const TMemo& memo)
{
    const QString text = memo.text();
    if (!ValidUtf16(text))
        return QStringLiteral("broken pair in %1").arg(text);
    TGraphemes graphemes(text);
    const QTextCursor cursor = memo.textCursor();
    for (const int at : {cursor.position(), cursor.anchor()})
        if (!graphemes.isBoundary(at))
            return QStringLiteral("caret inside a cluster at %1 of %2").arg(at).arg(text);
    return QString();
}

#define VERIFY_ON_CLUSTERS(memo)                      \
    do {                                              \
        const QString fault = Fault(memo);            \
        QVERIFY2(fault.isEmpty(), qPrintable(fault)); \
    } while (false)

// The places the caret stops at on its way from the end to the start with Left.
QList<int> StopsLeft(TMemo& memo)
{
    memo.moveCursor(QTextCursor::End);
    QList<int> stops{memo.textCursor().position()};
    while (stops.back() > 0 && stops.size() < 100) {
        QTest::keyClick(&memo, Qt::Key_Left);
        stops.append(memo.textCursor().position());
    }
    return stops;
}

void PutCaret(TMemo& memo, int position)
{
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(position);
    memo.setTextCursor(cursor);
}

}  // namespace

class TestClusterCaret : public QObject {
    Q_OBJECT
private slots:
    // Indic text and then a character beyond the BMP: Qt's layout offers a
    // caret stop inside its pair there.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("Devanagari, emoji") << u"अच्छा😀"_qs;
        QTest::newRow("Devanagari, flag, letter") << u"अच्छा🇩🇪x"_qs;
        QTest::newRow("Bengali, emoji") << u"নমস্কার😀 ok"_qs;
        QTest::newRow("conjunct, family") << u"क्ष👨‍👩‍👧 ok"_qs;
        QTest::newRow("Tamil, musical symbol") << u"தமிழ்𝄞x"_qs;
        QTest::newRow("Devanagari, skin tone, flags") << u"नमस्ते 🙏🏽🇩🇪🇦🇹"_qs;
        QTest::newRow("German, decomposed umlaut, thumb") << u"Gru\u0308ße 👍🏽!"_qs;
    }

    // Left and Right, with and without Shift, word moves, Home and End:
    // every stop on a cluster boundary, every cluster passed in one step.
    void texts()
    {
        QFETCH(QString, text);
        TMemo memo;
        memo.resize(400, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(text);
        const QList<int> stops = StopsLeft(memo);
        QCOMPARE(stops.back(), 0);
        TGraphemes graphemes(text);
        QCOMPARE(stops.size() - 1, graphemes.count(0, text.size()));
        for (const int stop : stops)
            QVERIFY2(graphemes.isBoundary(stop), qPrintable(QString::number(stop)));
        for (int i = stops.size() - 2; i >= 0; --i) {
            QTest::keyClick(&memo, Qt::Key_Right);
            QCOMPARE(memo.textCursor().position(), stops[i]);
        }
        const Qt::KeyboardModifiers modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier,
                                                   Qt::ControlModifier | Qt::ShiftModifier};
        for (const Qt::KeyboardModifiers mods : modifiers) {
            memo.moveCursor(QTextCursor::End);
            for (int i = 0; i < stops.size(); ++i) {
                QTest::keyClick(&memo, Qt::Key_Left, mods);
                VERIFY_ON_CLUSTERS(memo);
            }
            for (int i = 0; i < stops.size(); ++i) {
                QTest::keyClick(&memo, Qt::Key_Right, mods);
                VERIFY_ON_CLUSTERS(memo);
            }
        }
        QTest::keyClick(&memo, Qt::Key_Home);
        VERIFY_ON_CLUSTERS(memo);
        QTest::keyClick(&memo, Qt::Key_End, Qt::ShiftModifier);
        VERIFY_ON_CLUSTERS(memo);
    }

    // A click anywhere along the line, and a drag from there to anywhere.
    void clicks_data() { texts_data(); }
    void clicks()
    {
        QFETCH(QString, text);
        TMemo memo;
        memo.resize(400, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(text);
        const QRect line = memo.cursorRect(memo.textCursor());
        const int y = line.center().y();
        for (int x = 0; x < 200; ++x) {
            QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
            VERIFY_ON_CLUSTERS(memo);
            QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(199 - x, y));
            VERIFY_ON_CLUSTERS(memo);
        }
    }

    // Each edit at each caret stop: typing, Backspace, Delete, Enter, a
    // paste, an input method's commit replacing the character before.
    void edits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("edit");
        const QStringList edits{u"type"_qs, u"backspace"_qs, u"delete"_qs, u"enter"_qs, u"paste"_qs, u"commit"_qs};
        const QStringList texts{u"अच्छा😀"_qs, u"अच्छा🇩🇪x"_qs, u"क्ष👨‍👩‍👧 ok"_qs, u"தமிழ்𝄞x"_qs};
        for (const QString& text : texts)
            for (const QString& edit : edits)
                QTest::addRow("%s %s", qPrintable(text), qPrintable(edit)) << text << edit;
    }
    void edits()
    {
        QFETCH(QString, text);
        QFETCH(QString, edit);
        TMemo memo;
        memo.resize(400, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(text);
        const QList<int> stops = StopsLeft(memo);
        for (const int stop : stops) {
            memo.setText(text);
            PutCaret(memo, stop);
            if (edit == u"type") {
                QTest::keyClicks(&memo, u"x"_qs);
            } else if (edit == u"backspace") {
                QTest::keyClick(&memo, Qt::Key_Backspace);
            } else if (edit == u"delete") {
                QTest::keyClick(&memo, Qt::Key_Delete);
            } else if (edit == u"enter") {
                QTest::keyClick(&memo, Qt::Key_Return);
            } else if (edit == u"paste") {
                QApplication::clipboard()->setText(u"y"_qs);
                QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(u"z"_qs, -1, 1);
                QApplication::sendEvent(&memo, &commit);
            }
            VERIFY_ON_CLUSTERS(memo);
            // What is gone is whole clusters of the text before.
            if (edit == u"backspace" || edit == u"delete") {
                TGraphemes graphemes(text);
                const QString after = memo.text();
                const qsizetype gone = text.size() - after.size();
                QVERIFY(stop == (edit == u"backspace" ? 0 : text.size()) || gone > 0);
                const int from = edit == u"backspace" ? stop - int(gone) : stop;
                QVERIFY2(graphemes.isBoundary(from) && graphemes.isBoundary(from + gone),
                         qPrintable(QStringLiteral("%1 at %2").arg(edit).arg(stop)));
            }
        }
    }
};

VEXLO_TEST_MAIN(TestClusterCaret)
#include "test_clustercaret.moc"
