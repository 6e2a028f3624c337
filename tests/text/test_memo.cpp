#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QUrl>
#include <limits>
#include <tuple>

#include "piecechecks.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "testsupport.h"
#include "text/linesplit.h"
#include "text/memo.h"

namespace {

// Words of nine letters and a blank, held in pieces of 120 units, at
// document positions k * 121.
QString NineLetterProse()
{
    QString prose;
    while (prose.size() < LongLineLength + 1000)
        prose += QStringLiteral("abcdefghi ");
    return prose;
}

// A word of three pieces, then short words.
QString LongWordThenShortWords()
{
    QString line = LongLine(300) + u' ';
    while (line.size() < LongLineLength + 1000)
        line += QStringLiteral("wort ");
    return line;
}

int DocPosition(int piece, int offset)
{
    return piece * int(PieceLength + 1) + offset;
}
int TextPosition(int piece, int offset)
{
    return piece * int(PieceLength) + offset;
}

void Place(TMemo& memo, int from, int to = -1)
{
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(from);
    if (to >= 0)
        cursor.setPosition(to, QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
}

void Paste(TMemo& memo, QMimeData* data)
{
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
}

// An input method's commit, replacing `replaced` units before the caret.
void Commit(TMemo& memo, const QString& text, int replaced = 0)
{
    QInputMethodEvent event;
    event.setCommitString(text, -replaced, replaced);
    QApplication::sendEvent(&memo, &event);
}

// The text position (piece breaks left out) of a document position.
int TextAt(const TMemo& memo, int position)
{
    return int(memo.textBetween(0, position).size());
}

void Paste(TMemo& memo, const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    Paste(memo, data);
}

// The text and the count agree with the expected text, and no block is longer
// than its limit.
void CheckHolds(const TMemo& memo, const QString& expected)
{
    QCOMPARE(memo.text(), expected);
    QCOMPARE(memo.charCount(), CountChars(expected));
    CheckPiecesHold(memo.pieces(), expected);
}

}  // namespace

class TestMemo : public QObject {
    Q_OBJECT

private slots:
    void editingInPieces_data()
    {
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("selectTo");    // document position, -1 for none
        QTest::addColumn<QString>("keys");    // "<bs>", "<del>", "<enter>", "<paste>", "<commit>" or typed text
        QTest::addColumn<QString>("paste");   // or the input method's text
        QTest::addColumn<int>("removeFrom");  // text positions the edit removes
        QTest::addColumn<int>("removeTo");
        QTest::addColumn<QString>("inserted");
        const int end = int(PieceLength);
        QTest::newRow("type at a piece start") << 1 << 0 << -1 << "x" << QString() << 0 << 0 << "x";
        QTest::newRow("backspace at a piece start") << 1 << 0 << -1 << "<bs>" << QString() << -1 << 0 << "";
        QTest::newRow("backspace inside") << 2 << 3 << -1 << "<bs>" << QString() << -1 << 0 << "";
        QTest::newRow("delete before a piece") << 0 << end << -1 << "<del>" << QString() << 0 << 1 << "";
        QTest::newRow("delete inside") << 2 << 3 << -1 << "<del>" << QString() << 0 << 1 << "";
        QTest::newRow("enter at a piece start") << 1 << 0 << -1 << "<enter>" << QString() << 0 << 0 << "\n";
        QTest::newRow("enter inside") << 2 << 5 << -1 << "<enter>" << QString() << 0 << 0 << "\n";
        QTest::newRow("enter at a piece end") << 2 << end << -1 << "<enter>" << QString() << 0 << 0 << "\n";
        QTest::newRow("paste lines") << 3 << 7 << -1 << "<paste>"
                                     << "12\n34\n"
                                     << 0 << 0 << "12\n34\n";
        QTest::newRow("paste a long line")
            << 3 << 7 << -1 << "<paste>" << QString(700, u'p') << 0 << 0 << QString(700, u'p');
        QTest::newRow("typing grows a piece") << 4 << end << -1 << QString(2 * PieceLength, u't') << QString() << 0 << 0
                                              << QString(2 * PieceLength, u't');
        QTest::newRow("input method grows a piece") << 4 << end << -1 << "<commit>" << QString(2 * PieceLength, u'i')
                                                    << 0 << 0 << QString(2 * PieceLength, u'i');
        QTest::newRow("input method commits lines") << 2 << 5 << -1 << "<commit>"
                                                    << "a\r\nb" << 0 << 0 << "a\nb";
        const int across = DocPosition(2, 10);
        const int length = TextPosition(2, 10) - TextPosition(1, 100);
        QTest::newRow("delete a selection across pieces")
            << 1 << 100 << across << "<del>" << QString() << 0 << length << "";
        QTest::newRow("type over a selection across pieces")
            << 1 << 100 << across << "z" << QString() << 0 << length << "z";
        QTest::newRow("paste over a selection across pieces") << 1 << 100 << across << "<paste>"
                                                              << "a\nb" << 0 << length << "a\nb";
    }
    void editingInPieces()
    {
        QFETCH(int, piece);
        QFETCH(int, offset);
        QFETCH(int, selectTo);
        QFETCH(QString, keys);
        QFETCH(QString, paste);
        QFETCH(int, removeFrom);
        QFETCH(int, removeTo);
        QFETCH(QString, inserted);
        const QString original = QStringLiteral("vorher\n") + LongLine() + QStringLiteral("\nnachher");
        TMemo memo;
        memo.setText(original);
        constexpr int before = 7;  // "vorher\n", one block
        const int textAt = before + TextPosition(piece, offset);
        Place(memo, before + DocPosition(piece, offset), selectTo < 0 ? -1 : before + selectTo);
        if (keys == QLatin1String("<bs>"))
            QTest::keyClick(&memo, Qt::Key_Backspace);
        else if (keys == QLatin1String("<del>"))
            QTest::keyClick(&memo, Qt::Key_Delete);
        else if (keys == QLatin1String("<enter>"))
            QTest::keyClick(&memo, Qt::Key_Return);
        else if (keys == QLatin1String("<paste>"))
            Paste(memo, paste);
        else if (keys == QLatin1String("<commit>"))
            Commit(memo, paste);
        else
            QTest::keyClicks(&memo, keys);
        QString expected = original;
        expected.replace(textAt + removeFrom, removeTo - removeFrom, inserted);
        CheckHolds(memo, expected);

        // Undo and redo give back the texts as they were, pieces or not.
        while (memo.document()->isUndoAvailable())
            memo.undo();
        CheckHolds(memo, original);
        while (memo.document()->isRedoAvailable())
            memo.redo();
        CheckHolds(memo, expected);
    }

    void deletingAcrossLineStarts_data()
    {
        // Document and text positions in "vorher\n" + LongLine() + "\nnachher".
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("textFrom");
        QTest::addColumn<int>("textTo");
        const int line = 7;
        const int pieces = int(PieceCuts(LongLine()).size());
        const int nachher = line + int(LongLine().size()) + pieces + 1;
        const int textNachher = line + int(LongLine().size()) + 1;
        auto row = [&](const char* name, int from, int to, int textFrom, int textTo) {
            QTest::newRow(name) << from << to << textFrom << textTo;
        };
        row("from the text's start to a piece start", 0, line + DocPosition(1, 0), 0, line + TextPosition(1, 0));
        row("from the text's start into a piece", 0, line + DocPosition(2, 9), 0, line + TextPosition(2, 9));
        row("from a line's middle to a piece start", 2, line + DocPosition(2, 0), 2, line + TextPosition(2, 0));
        row("from a line's end into a piece", 6, line + DocPosition(1, 5), 6, line + TextPosition(1, 5));
        row("the first line and its break", 0, line, 0, line);
        row("from a piece start into the next line", line + DocPosition(1, 0), nachher + 3, line + TextPosition(1, 0),
            textNachher + 3);
        row("from a line start to the next line", line, nachher + 2, line, textNachher + 2);
    }
    void deletingAcrossLineStarts()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, textFrom);
        QFETCH(int, textTo);
        const QString original = QStringLiteral("vorher\n") + LongLine() + QStringLiteral("\nnachher");
        TMemo memo;
        memo.setText(original);
        Place(memo, from, to);
        QTest::keyClick(&memo, Qt::Key_Delete);
        QString expected = original;
        expected.remove(textFrom, textTo - textFrom);
        CheckHolds(memo, expected);
        QVERIFY(!memo.isContinuation(memo.document()->firstBlock()));
        memo.undo();
        CheckHolds(memo, original);
    }

    void emptiedPiecesAreSteppedOver()
    {
        TMemo memo;
        const QString line = LongLine();
        memo.setText(line);
        // Empty the second piece, then Backspace at the third piece's start.
        Place(memo, DocPosition(1, 0), DocPosition(1, int(PieceLength)));
        QTest::keyClick(&memo, Qt::Key_Delete);
        QCOMPARE(memo.document()->findBlockByNumber(1).length(), 1);
        Place(memo, memo.document()->findBlockByNumber(2).position());
        QTest::keyClick(&memo, Qt::Key_Backspace);
        QString expected = line;
        expected.remove(TextPosition(1, 0) - 1, int(PieceLength) + 1);
        CheckHolds(memo, expected);
        // Delete at the end of the first piece, before the empty one.
        Place(memo, DocPosition(0, int(PieceLength) - 1));
        QTest::keyClick(&memo, Qt::Key_Delete);
        expected.remove(TextPosition(0, int(PieceLength) - 1), 1);
        CheckHolds(memo, expected);
    }

    void caretMovesOncePerCharacterAcrossPieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");  // document position, -1 for the end
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("position");  // text positions afterwards
        QTest::addColumn<int>("anchor");
        const QString line = LongLine();
        const int end = int(PieceLength);
        const int lineEnd = int(line.size());
        const QString prose = NineLetterProse();
        const QString longWord = LongWordThenShortWords();
        const int left = Qt::Key_Left;
        const int right = Qt::Key_Right;
        const int none = Qt::NoModifier;
        const int shift = Qt::ShiftModifier;
        const int ctrl = Qt::ControlModifier;
        auto row = [](const char* name, const QString& text, int start, int key, int modifiers, int presses,
                      int position, int anchor) {
            QTest::newRow(name) << text << start << key << modifiers << presses << position << anchor;
        };
        row("right over a piece end", line, DocPosition(0, end - 1), right, none, 2, end + 1, end + 1);
        row("right from a piece end", line, DocPosition(0, end), right, none, 1, end + 1, end + 1);
        row("left over a piece start", line, DocPosition(1, 1), left, none, 2, end - 1, end - 1);
        row("left from a piece start", line, DocPosition(1, 0), left, none, 1, end - 1, end - 1);
        row("shift+right selects across", line, DocPosition(0, end - 1), right, shift, 2, end + 1, end - 1);
        row("shift+left selects across", line, DocPosition(1, 1), left, shift, 2, end - 1, end + 1);
        // A run of letters longer than any word is crossed a reach at a time.
        const int reach = TMemo::WordReach - 1;
        row("ctrl+right through a run cut into pieces", line, 0, right, ctrl, 1, reach, reach);
        row("ctrl+left through a run cut into pieces", line, -1, left, ctrl, 1, lineEnd - reach, lineEnd - reach);
        row("ctrl+shift+right selects along the run", line, DocPosition(2, 5), right, ctrl | shift, 1,
            TextPosition(2, 5) + reach, TextPosition(2, 5));
        row("ctrl+right to the end of the run", line, DocPosition(31, 0), right, ctrl, 1, lineEnd, lineEnd);
        row("ctrl+right stops at a word starting a piece", prose, 110, right, ctrl, 1, 120, 120);
        row("ctrl+right goes on into the piece", prose, 110, right, ctrl, 2, 130, 130);
        row("ctrl+left back over a piece start", prose, 121 + 10, left, ctrl, 2, 110, 110);
        row("ctrl+right over a word of three pieces", longWord, 5, right, ctrl, 2, 301, 301);
        row("ctrl+left over a word of three pieces", longWord, 301 + 2, left, ctrl, 2, 0, 0);
        // An ordinary line break is one place, pieces elsewhere or not.
        const QString beside = QStringLiteral("ab\ncd\n") + LongLine(LongLineLength + 10);
        row("right over an ordinary line break", beside, 2, right, none, 1, 3, 3);
        row("left over an ordinary line break", beside, 3, left, none, 1, 2, 2);
    }
    void caretMovesOncePerCharacterAcrossPieces()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, presses);
        QFETCH(int, position);
        QFETCH(int, anchor);
        TMemo memo;
        memo.setText(text);
        QVERIFY(memo.document()->blockCount() > text.count(u'\n') + 1);  // held in pieces
        Place(memo, start < 0 ? memo.document()->characterCount() - 1 : start);
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(&memo, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(TextAt(memo, memo.textCursor().position()), position);
        QCOMPARE(TextAt(memo, memo.textCursor().anchor()), anchor);
        QCOMPARE(memo.text(), text);
    }

    void copyAndTextBetweenLeaveOutPieceBreaks()
    {
        TMemo memo;
        const QString text = LongLine() + QStringLiteral("\nzwei");
        memo.setText(text);
        Place(memo, DocPosition(1, 100), DocPosition(3, 10));
        memo.copy();
        const QString expected = text.mid(TextPosition(1, 100), TextPosition(3, 10) - TextPosition(1, 100));
        QCOMPARE(QApplication::clipboard()->text(), expected);
        const int end = memo.document()->characterCount() - 1;
        QCOMPARE(memo.textBetween(DocPosition(3, 0), end), text.mid(TextPosition(3, 0)));
    }

    // A double click selects the word, a triple click the line and its line
    // break, in a line held in pieces as in the same line held whole.
    void clicksSelectAsInALineHeldWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");  // the text position clicked
        QTest::addColumn<int>("clicks");
        const QString prose = NineLetterProse();
        const QString longWord = LongWordThenShortWords();
        QTest::newRow("a word across three pieces") << longWord << 200 << 2;
        QTest::newRow("a word as long as the line") << LongLine() + QStringLiteral("\nzwei") << 1000 << 2;
        QTest::newRow("a word starting a piece") << prose << 123 << 2;
        QTest::newRow("a word inside a piece") << prose << 113 << 2;
        QTest::newRow("a line in pieces and its break") << prose + QStringLiteral("\nzwei") << 1000 << 3;
        QTest::newRow("the last line, in pieces") << QStringLiteral("eins\n") + prose << 1000 << 3;
        QTest::newRow("a short line before pieces") << QStringLiteral("eins\n") + prose << 2 << 3;
    }
    void clicksSelectAsInALineHeldWhole()
    {
        QFETCH(QString, text);
        QFETCH(int, at);
        QFETCH(int, clicks);
        const auto select = [&](qsizetype longLine) {
            TMemo memo;
            memo.setLongLineLengthForTesting(longLine);
            memo.resize(400, 300);
            memo.show();
            memo.setText(text);
            QTextBlock block = memo.document()->firstBlock();
            int offset = at;
            while (offset > block.length() - 1) {
                offset -= block.length() - (memo.isContinuation(block.next()) ? 1 : 0);
                block = block.next();
            }
            Place(memo, block.position() + offset);
            memo.ensureCursorVisible();
            const QPoint point = memo.cursorRect().center() + QPoint(2, 0);
            QTest::mouseDClick(memo.viewport(), Qt::LeftButton, {}, point);
            if (clicks == 3)
                QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, point);
            const QTextCursor cursor = memo.textCursor();
            return std::make_tuple(memo.document()->blockCount(), TextAt(memo, cursor.anchor()),
                                   TextAt(memo, cursor.position()));
        };
        const auto [wholeBlocks, wholeAnchor, wholePosition] = select(std::numeric_limits<qsizetype>::max());
        const auto [blocks, anchor, position] = select(LongLineLength);
        QVERIFY(blocks > wholeBlocks);
        QVERIFY(wholePosition > wholeAnchor);
        QCOMPARE(anchor, wholeAnchor);
        QCOMPARE(position, wholePosition);
    }

    void capacityHoldsForTypingAndPasting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("selectFrom");
        QTest::addColumn<int>("selectTo");
        QTest::addColumn<QString>("keys");       // "<enter>", "<paste>", "<commit>" or typed text
        QTest::addColumn<QString>("clipboard");  // or the input method's text
        QTest::addColumn<QString>("result");     // empty when refused
        QTest::newRow("typing up to the capacity") << "abcd" << 5 << 4 << 4 << "x"
                                                   << ""
                                                   << "abcdx";
        QTest::newRow("typing past it") << "abcde" << 5 << 5 << 5 << "x"
                                        << ""
                                        << "";
        QTest::newRow("enter past it") << "abcd" << 5 << 4 << 4 << "<enter>"
                                       << ""
                                       << "";
        QTest::newRow("typing over a line break") << "ab\ncd" << 6 << 1 << 4 << "x"
                                                  << ""
                                                  << "axd";
        QTest::newRow("paste over a line break") << "ab\ncd" << 6 << 0 << 5 << "<paste>"
                                                 << "123456"
                                                 << "123456";
        QTest::newRow("paste past it") << "abc" << 5 << 3 << 3 << "<paste>"
                                       << "xyz"
                                       << "";
        QTest::newRow("paste of line breaks past it") << "abc" << 5 << 3 << 3 << "<paste>"
                                                      << "\n"
                                                      << "abc\n";
        QTest::newRow("paste of two line breaks past it") << "abc" << 6 << 3 << 3 << "<paste>"
                                                          << "\n\n"
                                                          << "";
        QTest::newRow("input method up to it") << "abc" << 5 << 3 << 3 << "<commit>"
                                               << "xy"
                                               << "abcxy";
        QTest::newRow("input method past it") << "abc" << 5 << 3 << 3 << "<commit>"
                                              << "xyz"
                                              << "";
        QTest::newRow("input method's line break past it") << "abc" << 5 << 3 << 3 << "<commit>"
                                                           << "x\n"
                                                           << "";
        QTest::newRow("input method replacing up to it") << "abcde" << 5 << 5 << 5 << "<replace>"
                                                         << "X"
                                                         << "abcdX";
    }
    void capacityHoldsForTypingAndPasting()
    {
        QFETCH(QString, text);
        QFETCH(int, capacity);
        QFETCH(int, selectFrom);
        QFETCH(int, selectTo);
        QFETCH(QString, keys);
        QFETCH(QString, clipboard);
        QFETCH(QString, result);
        ErrorBoxRecorder errors;
        TMemo memo;
        memo.setCapacityForTesting(capacity);
        memo.setText(text);
        Place(memo, selectFrom, selectTo);
        if (keys == QLatin1String("<enter>"))
            QTest::keyClick(&memo, Qt::Key_Return);
        else if (keys == QLatin1String("<paste>"))
            Paste(memo, clipboard);
        else if (keys == QLatin1String("<commit>"))
            Commit(memo, clipboard);
        else if (keys == QLatin1String("<replace>"))
            Commit(memo, clipboard, 1);
        else
            QTest::keyClicks(&memo, keys);
        if (result.isEmpty()) {
            QCOMPARE(errors.shown, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität.")});
            QCOMPARE(memo.text(), text);
        } else {
            QCOMPARE(errors.shown, QStringList());
            QCOMPARE(memo.text(), result);
        }
    }

    void pasteTakesPlainTextOnly_data()
    {
        QTest::addColumn<bool>("plain");
        QTest::addColumn<bool>("urls");
        QTest::addColumn<QString>("result");
        QTest::newRow("files only") << false << true << "bleibt";
        QTest::newRow("text and files") << true << true << "bleibt/tmp/a";
        QTest::newRow("text") << true << false << "bleibt/tmp/a";
    }
    void pasteTakesPlainTextOnly()
    {
        QFETCH(bool, plain);
        QFETCH(bool, urls);
        QFETCH(QString, result);
        TMemo memo;
        memo.setText(QStringLiteral("bleibt"));
        Place(memo, 6);
        auto* data = new QMimeData;
        if (urls)
            data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/b"))});
        if (plain)
            data->setText(QStringLiteral("/tmp/a"));
        QCOMPARE(HasPlainText(data), plain);
        Paste(memo, data);
        QCOMPARE(memo.text(), result);
    }

    // Text from another program goes in at the drop position, as a paste
    // does: plain line breaks, no NUL, the capacity kept, one step to undo.
    void dropTakesTextAsPasteDoes_data()
    {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("result");  // the text after the drop; null: refused
        QTest::newRow("text") << QStringLiteral("neu") << false << QStringLiteral("abneucd");
        QTest::newRow("CR LF and NUL") << QStringLiteral("x\r\ny") + QChar(0) << false << QStringLiteral("abx\nycd");
        QTest::newRow("over the capacity") << QStringLiteral("1234567") << false << QString();
        QTest::newRow("read-only area") << QStringLiteral("neu") << true << QStringLiteral("abcd");
    }
    void dropTakesTextAsPasteDoes()
    {
        QFETCH(QString, dropped);
        QFETCH(bool, readOnly);
        QFETCH(QString, result);
        TMemo memo;
        memo.setCapacityForTesting(10);
        memo.setReadOnly(readOnly);
        memo.resize(200, 100);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(QStringLiteral("abcd"));
        ErrorBoxRecorder errors;
        QMimeData data;
        data.setText(dropped);
        // Just right of the second character.
        QTextCursor place(memo.document());
        place.setPosition(2);
        const QRect caret = memo.cursorRect(place);
        const QPoint spot(caret.left() + 1, caret.center().y());
        QCOMPARE(memo.cursorForPosition(spot).position(), 2);
        QDragEnterEvent enter(spot, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(memo.viewport(), &enter);
        QCOMPARE(enter.isAccepted(), !readOnly);
        QDropEvent drop(spot, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(memo.viewport(), &drop);
        QCOMPARE(memo.text(), result.isNull() ? QStringLiteral("abcd") : result);
        QCOMPARE(errors.shown,
                 result.isNull() ? QStringList{QStringLiteral("Text überschreitet Memo-Kapazität.")} : QStringList());
        memo.undo();
        QCOMPARE(memo.text(), QStringLiteral("abcd"));
    }
};

VEXLO_TEST_MAIN(TestMemo)
#include "test_memo.moc"
