#include <QKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "coretestsupport.h"
#include "counting/limitmath.h"
#include "counting/rulecount.h"
#include "text/graphemes.h"
#include "text/pieceediting.h"
#include "text/piecemodel.h"
#include "text/textinput.h"

Q_DECLARE_METATYPE(TCountRule)

namespace {

// A text area's document and pieces with its limit math, as the window has them.
struct Area {
    QTextDocument document;
    TPieceModel& pieces = *new TPieceModel(&document);
    TLimitMath math{&document, [this](int from, int to) { return pieces.lineBreaksBetween(from, to); }};
    Area() { pieces.setLongLineLength(200); }
    // A document position as an offset in the text, piece breaks left out.
    int offset(int position) const { return position < 0 ? -1 : int(pieces.textBetween(0, position).size()); }
};

// Text typed or a line break entered at the caret, as the text area puts it in.
void Type(TPieceModel& pieces, QTextCursor& caret, const QString& text)
{
    caret.beginEditBlock();
    InsertLines(pieces, caret, InsertableText(text));
    caret.endEditBlock();
}

// Backspace or Delete at the caret, as the text area's keys edit.
void Press(TPieceModel& pieces, QTextCursor& caret, Qt::Key key)
{
    const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    const TKeyEdit edit = DeleteAcrossPieces(pieces, &event, caret);
    if (edit.moveCaret)
        caret = edit.caret;
    else if (!edit.taken && key == Qt::Key_Backspace)
        caret.deletePreviousChar();
    else if (!edit.taken)
        caret.deleteChar();
}

const QString Thumb = QStringLiteral("\U0001F44D\U0001F3FD");  // with a skin tone: one cluster, four units
const QString Family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");  // eight units, five code points

// "x" and 150 times e with a combining acute: one line long enough to be
// held in pieces, the first cut (at 128) falling between an e and its accent.
QString AccentedLine()
{
    return QStringLiteral("x") + QStringLiteral("e\u0301").repeated(150);
}

}  // namespace

class TestRuleCount : public QObject {
    Q_OBJECT
private slots:
    // Counts and the place where a limit falls, worked out by hand; places
    // are offsets in the text (-1: it all fits).
    void countAndPlace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TCountRule>("rule");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<int>("place");
        QTest::addColumn<int>("cut");
        const auto row = [](const char* name, const QString& text, TCountRule rule, qsizetype limit, qsizetype count,
                            int place,
                            int cut) { QTest::newRow(name) << text << rule << limit << count << place << cut; };
        using R = TCountRule;
        const QString gruesse = QStringLiteral("Gr\u00FC\u00DFe");
        row("umlaut browser", gruesse, R::Browser, 4, 5, 4, 4);
        row("umlaut maxlength", gruesse, R::MaxLength, 4, 5, 4, 4);
        row("umlaut code points", gruesse, R::CodePoints, 4, 5, 4, 4);
        row("umlaut bytes", gruesse, R::Utf8Bytes, 4, 7, 3, 3);
        row("umlaut visible", gruesse, R::Graphemes, 4, 5, 4, 4);
        const QString euro = QStringLiteral("a\u20ACb");
        row("euro browser", euro, R::Browser, 2, 3, 2, 2);
        row("euro bytes cut before", euro, R::Utf8Bytes, 2, 5, 1, 1);
        row("euro bytes fits", euro, R::Utf8Bytes, 4, 5, 2, 2);
        row("euro visible", euro, R::Graphemes, 2, 3, 2, 2);
        const QString thumb = u'x' + Thumb + u'y';
        row("skin tone browser keeps pair", thumb, R::Browser, 2, 6, 1, 1);
        row("skin tone maxlength", thumb, R::MaxLength, 2, 6, 1, 1);
        row("skin tone maxlength whole", thumb, R::MaxLength, 5, 6, 5, 5);
        row("skin tone code points", thumb, R::CodePoints, 2, 4, 1, 1);
        row("skin tone code points whole", thumb, R::CodePoints, 3, 4, 5, 5);
        row("skin tone bytes", thumb, R::Utf8Bytes, 8, 10, 1, 1);
        row("skin tone bytes whole", thumb, R::Utf8Bytes, 9, 10, 5, 5);
        row("skin tone visible", thumb, R::Graphemes, 2, 3, 5, 5);
        row("skin tone visible before", thumb, R::Graphemes, 1, 3, 1, 1);
        const QString family = u'a' + Family;
        row("family browser", family, R::Browser, 5, 9, 4, 4);
        row("family maxlength", family, R::MaxLength, 5, 9, 1, 1);
        row("family code points", family, R::CodePoints, 5, 6, 1, 1);
        row("family code points fits", family, R::CodePoints, 6, 6, -1, -1);
        row("family bytes", family, R::Utf8Bytes, 18, 19, 1, 1);
        row("family visible", family, R::Graphemes, 1, 2, 1, 1);
        row("family visible fits", family, R::Graphemes, 5, 2, -1, -1);
        const QString cafe = QStringLiteral("Cafe\u0301");
        row("accent browser", cafe, R::Browser, 4, 5, 4, 4);
        row("accent maxlength", cafe, R::MaxLength, 4, 5, 3, 3);
        row("accent code points", cafe, R::CodePoints, 4, 5, 3, 3);
        row("accent bytes", cafe, R::Utf8Bytes, 5, 6, 3, 3);
        row("accent visible", cafe, R::Graphemes, 3, 4, 3, 3);
        row("accent visible fits", cafe, R::Graphemes, 4, 4, -1, -1);
        const QString lines = QStringLiteral("ab\ncd");
        row("LF browser", lines, R::Browser, 3, 6, 2, 2);
        row("LF maxlength", lines, R::MaxLength, 3, 5, 3, 3);
        row("LF code points", lines, R::CodePoints, 3, 5, 3, 3);
        row("LF bytes", lines, R::Utf8Bytes, 3, 6, 2, 2);
        row("LF visible", lines, R::Graphemes, 3, 5, 3, 3);
        const QString crlf = QStringLiteral("ab\r\ncd");
        row("CR LF browser", crlf, R::Browser, 4, 6, 3, 3);
        row("CR LF bytes", crlf, R::Utf8Bytes, 4, 6, 3, 3);
        row("CR LF maxlength", crlf, R::MaxLength, 4, 5, 4, 2);
        const QString pair = QStringLiteral("ab\U0001F600");
        row("pair across limit browser", pair, R::Browser, 3, 4, 2, 2);
        row("pair across limit code points", pair, R::CodePoints, 3, 3, -1, -1);
        row("pair across limit bytes", pair, R::Utf8Bytes, 5, 6, 2, 2);
        row("pair across limit visible", pair, R::Graphemes, 2, 3, 2, 2);
        const QString words = QStringLiteral("ab cd\u20AC");
        row("copy cut at blank bytes", words, R::Utf8Bytes, 6, 8, 5, 2);
        row("copy cut at blank browser", words, R::Browser, 5, 6, 5, 2);
        row("empty", QString(), R::Utf8Bytes, 1, 0, -1, -1);
        row("limit 0 is none", QStringLiteral("abc"), R::Utf8Bytes, 0, 3, -1, -1);
        row("limit below 0 is none", QStringLiteral("abc"), R::Graphemes, -5, 3, -1, -1);
        const QString pieces = AccentedLine();
        row("pieces browser", pieces, R::Browser, 128, 301, 128, 128);
        row("pieces maxlength", pieces, R::MaxLength, 128, 301, 127, 127);
        row("pieces code points", pieces, R::CodePoints, 128, 301, 127, 127);
        row("pieces bytes inside cluster", pieces, R::Utf8Bytes, 191, 451, 127, 127);
        row("pieces bytes after cluster", pieces, R::Utf8Bytes, 193, 451, 129, 129);
        row("pieces visible before break", pieces, R::Graphemes, 64, 151, 127, 127);
        row("pieces visible across break", pieces, R::Graphemes, 65, 151, 129, 129);
        // Enough lines to be counted from the text read at once.
        const QString many = QStringLiteral("a\u20AC\n").repeated(4999) + pieces;
        row("many lines code points", many, R::CodePoints, 14997 + 128, 15298, 15124, 14996);
        row("many lines bytes", many, R::Utf8Bytes, 29994 + 191, 30445, 15124, 14996);
        row("many lines visible", many, R::Graphemes, 14997 + 65, 15148, 15126, 14996);
    }
    void countAndPlace()
    {
        QFETCH(QString, text);
        QFETCH(TCountRule, rule);
        QFETCH(qsizetype, limit);
        QFETCH(qsizetype, count);
        QFETCH(int, place);
        QFETCH(int, cut);
        Area area;
        area.pieces.setText(NormalizeLineBreaks(text));
        const TRuleCount counter(&area.pieces, area.math, rule);
        QCOMPARE(counter.count(), count);
        QCOMPARE(counter.count(0, area.math.endPosition()), count);
        QCOMPARE(area.offset(counter.limitPosition(limit)), place);
        QCOMPARE(area.offset(counter.cutPosition(limit)), cut);
        if (place >= 0)
            QVERIFY(counter.count(0, counter.limitPosition(limit)) <= limit);
    }

    // Every character the quick count takes for a cluster of its own is one
    // for the cluster iterator too, beside any other such character.
    void standAloneCharacters()
    {
        const char16_t partners[] = {u'a', u'\u00E4', u'\u2026', u'\u20AC', u'\t'};
        int taken = 0;
        for (char32_t u = 1; u < 0x10000; ++u) {
            const QChar c{char16_t(u)};
            if (c.isSurrogate() || !EveryUnitACluster({}, QStringView(&c, 1)))
                continue;
            ++taken;
            for (const char16_t partner : partners) {
                const QString text = QString(QChar(partner)) + c + QChar(partner) + c;
                TGraphemes graphemes(text);
                for (int at = 1; at < 4; ++at)
                    QVERIFY2(graphemes.isBoundary(at), qPrintable(QString::number(uint(u), 16)));
            }
        }
        QVERIFY(taken > 700);
    }

    // The counts kept up to date edit by edit match counts made afresh.
    void followsEdits_data()
    {
        QTest::addColumn<TCountRule>("rule");
        QTest::newRow("maxlength") << TCountRule::MaxLength;
        QTest::newRow("code points") << TCountRule::CodePoints;
        QTest::newRow("bytes") << TCountRule::Utf8Bytes;
        QTest::newRow("visible") << TCountRule::Graphemes;
    }
    void followsEdits()
    {
        QFETCH(TCountRule, rule);
        Area area;
        TPieceModel& pieces = area.pieces;
        QTextDocument& document = area.document;
        const TRuleCount live(&pieces, area.math, rule);
        QCOMPARE(live.count(), qsizetype(0));
        const auto at = [&document](int position) {
            QTextCursor cursor(&document);
            cursor.setPosition(position);
            return cursor;
        };
        const QList<std::function<void()>> edits = {
            [&] { pieces.setText(QStringLiteral("Gr\u00FC\u00DFe\nab") + Thumb + u'\n' + AccentedLine() + Family); },
            [&] { at(3).insertText(QStringLiteral("x\u0301")); },
            [&] { at(200).insertText(QStringLiteral("\n\n") + Family); },
            [&] {
                QTextCursor cursor = at(2);
                cursor.setPosition(12, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            },
            [&] { document.undo(); },
            [&] { document.redo(); },
            [&] {
                QTextCursor caret = at(140);
                for (const QString& typed : {QStringLiteral("abc"), Family, QStringLiteral("\u00E4\u00F6")})
                    Type(pieces, caret, typed);
            },
            [&] {
                QTextCursor caret = at(document.characterCount() - 1);
                Type(pieces, caret, QStringLiteral("\n"));
                Type(pieces, caret, QStringLiteral("\u20AC"));
            },
            [&] {
                QTextCursor caret = at(131);
                Press(pieces, caret, Qt::Key_Backspace);
                Press(pieces, caret, Qt::Key_Delete);
            },
            [&] { document.clear(); },
            [&] { document.setPlainText(QStringLiteral("a\nb")); },
        };
        for (int i = 0; i < edits.size(); ++i) {
            edits[i]();
            const TRuleCount fresh(&pieces, area.math, rule);
            const int end = area.math.endPosition();
            QVERIFY2(live.count() == fresh.count(), qPrintable(QString::number(i)));
            QVERIFY2(live.count(end / 3, end) == fresh.count(end / 3, end), qPrintable(QString::number(i)));
            const qsizetype half = fresh.count() / 2;
            QVERIFY2(live.limitPosition(half) == fresh.limitPosition(half), qPrintable(QString::number(i)));
        }
    }
};

VEXLO_CORE_TEST_MAIN(TestRuleCount)
#include "test_rulecount.moc"
