#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <limits>

#include "counting/limitmath.h"
#include "counting/rulecount.h"
#include "testsupport.h"
#include "text/graphemes.h"
#include "text/memo.h"

Q_DECLARE_METATYPE(TCountRule)

namespace {

// Unicode's own tables, from Debian's unicode-data (the install script puts it there).
const QString BreakTestFile = QStringLiteral("/usr/share/unicode/auxiliary/GraphemeBreakTest.txt");
const QString EmojiTestFile = QStringLiteral("/usr/share/unicode/emoji/emoji-test.txt");

QStringList TableLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

QString FromHex(const QStringList& codePoints)
{
    QString text;
    for (const QString& hex : codePoints) {
        const char32_t u = hex.toUInt(nullptr, 16);
        text += QString::fromUcs4(&u, 1);
    }
    return text;
}

// Every place of text where the iterator sees a boundary.
QList<qsizetype> Boundaries(QStringView text)
{
    TGraphemes graphemes(text);
    QList<qsizetype> found;
    for (qsizetype at = 0; at <= text.size(); ++at)
        if (graphemes.isBoundary(at))
            found.append(at);
    return found;
}

// The same walked with next() and previous(): both must agree with isBoundary.
bool WalksAgree(QStringView text, const QList<qsizetype>& boundaries)
{
    TGraphemes graphemes(text);
    QList<qsizetype> forward{0};
    for (qsizetype at = 0; at < text.size();)
        forward.append(at = graphemes.next(at));
    QList<qsizetype> backward{text.size()};
    for (qsizetype at = text.size(); at > 0;)
        backward.prepend(at = graphemes.previous(at));
    return forward == boundaries && backward == boundaries;
}

using Clusters = QStringList;

// What one cluster counts under a unit-based rule.
qsizetype Weight(TCountRule rule, const QString& cluster)
{
    switch (rule) {
        case TCountRule::CodePoints:
            return cluster.toUcs4().size();
        case TCountRule::Utf8Bytes:
            return cluster.toUtf8().size();
        case TCountRule::Graphemes:
            return 1;
        default:
            return cluster.size();
    }
}

// A text area with its limit math, as the window has them.
struct Area {
    TMemo memo;
    TLimitMath math{memo.document(), [this](int from, int to) { return memo.lineBreaksBetween(from, to); }};
    explicit Area(bool pieces)
    {
        memo.setLongLineLengthForTesting(pieces ? 200 : std::numeric_limits<qsizetype>::max());
    }
    int offset(int position) const { return position < 0 ? -1 : int(memo.textBetween(0, position).size()); }
    // The offsets in the text where a piece break falls.
    QList<qsizetype> pieceBreaks() const
    {
        QList<qsizetype> breaks;
        for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next())
            if (memo.isContinuation(block))
                breaks.append(offset(block.position()));
        return breaks;
    }
};

// Counts and the place of every limit under rules 2 to 5, against the
// clusters written out by hand; the line held whole and in pieces.
void CompareWithClusters(const Clusters& clusters, bool pieces)
{
    const QString text = clusters.join(QString());
    Area area(pieces);
    area.memo.setText(text);
    QList<qsizetype> ends{0};
    for (const QString& cluster : clusters)
        ends.append(ends.back() + cluster.size());
    for (const qsizetype cut : area.pieceBreaks())
        QVERIFY2(ends.contains(cut), qPrintable(QStringLiteral("piece break inside a cluster at %1").arg(cut)));
    for (const TCountRule rule :
         {TCountRule::MaxLength, TCountRule::CodePoints, TCountRule::Utf8Bytes, TCountRule::Graphemes}) {
        const TRuleCount counter(&area.memo.pieces(), area.math, rule);
        qsizetype total = 0;
        for (const QString& cluster : clusters)
            total += Weight(rule, cluster);
        QCOMPARE(counter.count(), total);
        // Each limit up to the count falls after the last cluster that fits whole.
        qsizetype sum = 0;
        int fitting = 0;
        for (qsizetype limit = 1; limit < total; ++limit) {
            while (fitting < clusters.size() && sum + Weight(rule, clusters[fitting]) <= limit)
                sum += Weight(rule, clusters[fitting++]);
            QCOMPARE(area.offset(counter.limitPosition(limit)), int(ends[fitting]));
        }
    }
}

// Whether every piece break of the area lies on a cluster boundary of its
// text, or else inside a cluster longer than a piece, never inside a pair;
// and the line counts as it would held whole.
QString PieceFault(const Area& area)
{
    const QString text = area.memo.text();
    TGraphemes graphemes(text);
    for (const qsizetype cut : area.pieceBreaks()) {
        if (InsidePair(text, cut))
            return QStringLiteral("piece break inside a pair at %1").arg(cut);
        if (!graphemes.isBoundary(cut) && graphemes.next(cut) - graphemes.previous(cut) <= PieceLength)
            return QStringLiteral("piece break inside a cluster at %1").arg(cut);
    }
    Area whole(false);
    whole.memo.setText(text);
    for (const TCountRule rule : {TCountRule::Utf8Bytes, TCountRule::Graphemes}) {
        const TRuleCount inPieces(&area.memo.pieces(), area.math, rule);
        const TRuleCount inWhole(&whole.memo.pieces(), whole.math, rule);
        if (inPieces.count() != inWhole.count())
            return QStringLiteral("rule %1 counts %2, whole %3")
                .arg(int(rule))
                .arg(inPieces.count())
                .arg(inWhole.count());
        for (qsizetype limit = 1; limit < inWhole.count(); limit += 97)
            if (area.offset(inPieces.limitPosition(limit)) != whole.offset(inWhole.limitPosition(limit)))
                return QStringLiteral("rule %1 limit %2 falls apart").arg(int(rule)).arg(limit);
    }
    if (TRuleCount(&area.memo.pieces(), area.math, TCountRule::Graphemes).count() != graphemes.count(0, text.size()))
        return QStringLiteral("visible count off");
    return QString();
}

}  // namespace

class TestGraphemes : public QObject {
    Q_OBJECT
private slots:
    // Unicode's test of cluster boundaries, every line: the iterator's
    // boundaries, walked three ways, are the table's.
    void unicodeBreakTest()
    {
        const QStringList lines = TableLines(BreakTestFile);
        QVERIFY2(!lines.isEmpty(), qPrintable(BreakTestFile + QStringLiteral(" missing: install unicode-data")));
        int passed = 0;
        int failed = 0;
        for (const QString& line : lines) {
            const QString rule = line.section(u'#', 0, 0).trimmed();
            if (rule.isEmpty())
                continue;
            QString text;
            QList<qsizetype> expected;
            for (const QString& token : rule.split(u' ', Qt::SkipEmptyParts)) {
                if (token == u"÷")
                    expected.append(text.size());
                else if (token != u"×")
                    text += FromHex({token});
            }
            const QList<qsizetype> found = Boundaries(text);
            if (found == expected && WalksAgree(text, expected)) {
                ++passed;
            } else {
                ++failed;
                qWarning("%s", qPrintable(line));
            }
        }
        qInfo("GraphemeBreakTest: %d of %d lines pass", passed, passed + failed);
        QCOMPARE(failed, 0);
        QVERIFY(passed >= 600);
    }

    // Every sequence of Unicode's emoji test is one cluster, alone and
    // between letters, and one visible character in the text area, held in
    // pieces among the others.
    void unicodeEmojiTest()
    {
        const QStringList lines = TableLines(EmojiTestFile);
        QVERIFY2(!lines.isEmpty(), qPrintable(EmojiTestFile + QStringLiteral(" missing: install unicode-data")));
        Clusters clusters;
        int passed = 0;
        int failed = 0;
        for (const QString& line : lines) {
            const QString codes = line.section(u';', 0, 0).trimmed();
            // A component (a skin tone alone) joins what stands before it.
            if (line.startsWith(u'#') || !line.contains(u';') || codes.isEmpty() || line.contains(u"; component"))
                continue;
            const QString emoji = FromHex(codes.split(u' ', Qt::SkipEmptyParts));
            const QString text = u'a' + emoji + u'b';
            if (Boundaries(text) == QList<qsizetype>{0, 1, 1 + emoji.size(), text.size()}) {
                ++passed;
            } else {
                ++failed;
                qWarning("%s", qPrintable(line));
            }
            if (!clusters.isEmpty())
                clusters.append(QStringLiteral(" "));
            clusters.append(emoji);
        }
        qInfo("emoji-test: %d of %d sequences pass", passed, passed + failed);
        QCOMPARE(failed, 0);
        QVERIFY(passed > 4000);
        // All of them in one line, a blank between each two.
        Area area(true);
        area.memo.setText(clusters.join(QString()));
        QVERIFY(area.pieceBreaks().size() > 100);
        const TRuleCount visible(&area.memo.pieces(), area.math, TCountRule::Graphemes);
        QCOMPARE(visible.count(), clusters.size());
        const TRuleCount codePoints(&area.memo.pieces(), area.math, TCountRule::CodePoints);
        QCOMPARE(codePoints.count(), clusters.join(QString()).toUcs4().size());
    }

    // German text with flags, skin tones and families, and Indic and Thai
    // lines with emoji: the clusters as a reader sees them, one per entry.
    void textRows_data()
    {
        QTest::addColumn<Clusters>("clusters");
        const auto letters = [](const QString& text) {
            Clusters list;
            for (const QChar c : text)
                list.append(QString(c));
            return list;
        };
        QTest::newRow("heart and flag") << letters(QStringLiteral("Grüße ")) + Clusters{u"❤"_qs, u"🇩🇪"_qs};
        QTest::newRow("Devanagari and a folded hand")
            << letters(QStringLiteral("Hallo ")) +
                   Clusters{u"न"_qs, u"म"_qs, u"स्ते"_qs, u" "_qs, u"🙏🏽"_qs, u"!"_qs};
        QTest::newRow("Thai and a wave") << Clusters{u"ส"_qs, u"วั"_qs, u"ส"_qs, u"ดี"_qs, u" "_qs, u"👋🏻"_qs};
        QTest::newRow("family, two flags, skin tones")
            << letters(QStringLiteral("Familie ")) + Clusters{u"👨‍👩‍👧‍👦"_qs} +
                   letters(QStringLiteral(" in ")) + Clusters{u"🇩🇪"_qs, u"🇦🇹"_qs} +
                   letters(QStringLiteral(", Daumen ")) + Clusters{u"👍🏽"_qs, u" "_qs, u"✌🏿"_qs};
        QTest::newRow("tag flag, keycap, decomposed umlaut") << Clusters{u"🏴󠁧󠁢󠁳󠁣󠁴󠁿"_qs,
                                                                         u" "_qs,
                                                                         u"1️⃣"_qs,
                                                                         u" "_qs,
                                                                         u"K"_qs,
                                                                         u"o\u0308"_qs,
                                                                         u"l"_qs,
                                                                         u"n"_qs};
        QTest::newRow("Indic then emoji") << Clusters{u"अ"_qs, u"च्छा"_qs, u"😀"_qs, u"🇩🇪"_qs, u"𝄞"_qs};
    }
    void textRows()
    {
        QFETCH(Clusters, clusters);
        CompareWithClusters(clusters, false);
        // Repeated into a line held in pieces: the same counts and places.
        Clusters line;
        for (int i = 0; i < 40; ++i)
            line += clusters + Clusters{u" "_qs};
        CompareWithClusters(line, false);
        CompareWithClusters(line, true);
    }

    // Runs that cross piece breaks: flags two by two, and clusters longer
    // than a piece, which are cut between code points but counted once.
    void runsInPieces_data()
    {
        QTest::addColumn<Clusters>("clusters");
        QTest::newRow("1000 flags") << Clusters{u"a"_qs, u"b"_qs} + Clusters(1000, u"🇩🇪"_qs);
        QTest::newRow("flags paired anew after a single regional indicator")
            << Clusters{u"a"_qs, u"🇩🇩"_qs} + Clusters(149, u"🇪🇩"_qs) + Clusters{u"🇪"_qs, u"x"_qs};
        QTest::newRow("300 skin tones") << Clusters{u"x"_qs, u"👍"_qs + u"🏽"_qs.repeated(300), u"y"_qs} +
                                               Clusters(20, u"👍🏽"_qs);
        QTest::newRow("200 tag characters") << Clusters{u"x"_qs, u"🏴"_qs + u"\U000E0067"_qs.repeated(200), u"y"_qs};
        QTest::newRow("400 combining marks") << Clusters{u"x"_qs, u"e"_qs + u"\u0301"_qs.repeated(400), u"y"_qs};
    }
    void runsInPieces()
    {
        QFETCH(Clusters, clusters);
        // Cut by piece breaks only, the long runs have no ends inside them to check.
        const QString text = clusters.join(QString());
        Area whole(false);
        Area pieces(true);
        whole.memo.setText(text);
        pieces.memo.setText(text);
        QVERIFY(!pieces.pieceBreaks().isEmpty());
        TGraphemes graphemes(text);
        for (const qsizetype cut : pieces.pieceBreaks()) {
            QVERIFY2(!InsidePair(text, cut), qPrintable(QString::number(cut)));
            // Only a cluster longer than a piece may hold a break.
            QVERIFY2(graphemes.isBoundary(cut) || graphemes.next(cut) - graphemes.previous(cut) > PieceLength,
                     qPrintable(QString::number(cut)));
        }
        for (const TCountRule rule :
             {TCountRule::MaxLength, TCountRule::CodePoints, TCountRule::Utf8Bytes, TCountRule::Graphemes}) {
            const TRuleCount inWhole(&whole.memo.pieces(), whole.math, rule);
            const TRuleCount inPieces(&pieces.memo.pieces(), pieces.math, rule);
            QCOMPARE(inPieces.count(), inWhole.count());
            for (qsizetype limit = 1; limit < inWhole.count(); limit += 7)
                QCOMPARE(pieces.offset(inPieces.limitPosition(limit)), whole.offset(inWhole.limitPosition(limit)));
        }
        QCOMPARE(TRuleCount(&pieces.memo.pieces(), pieces.math, TCountRule::Graphemes).count(), clusters.size());
    }

    // Edits in a line held in pieces: a regional indicator that pairs a run
    // of flags anew, modifiers typed into long runs, pastes, deletions at a
    // piece break. After each the breaks stay on clusters and the counts are
    // those of the line held whole.
    void editsInPieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QStringList>("edits");
        const QString flags = u"ab"_qs + u"🇩🇪"_qs.repeated(1000);
        QTest::newRow("indicator typed before the flags")
            << flags << 2 << QStringList{u"type:🇩"_qs, u"type:🇪"_qs, u"type:🇩"_qs, u"backspace"_qs, u"delete"_qs};
        QTest::newRow("flags pasted into the flags")
            << flags << 2002 << QStringList{u"paste:🇦🇹🇩"_qs, u"paste:🇪x"_qs, u"backspace"_qs};
        const QString tones = u"x👍"_qs + u"🏽"_qs.repeated(300) + u" Ende"_qs;
        QTest::newRow("skin tones typed into a run of them")
            << tones << 304 << QStringList{u"type:🏽"_qs, u"type:a"_qs, u"backspace"_qs, u"delete"_qs};
        const QString tags = u"x🏴"_qs + u"\U000E0067"_qs.repeated(300) + u"\U000E007F y"_qs;
        QTest::newRow("tag characters typed into a run of them")
            << tags << 303 << QStringList{u"type:\U000E0067"_qs, u"paste:\U000E0062\U000E0062"_qs, u"delete"_qs};
        const QString marks = u"xe"_qs + QString(300, QChar(0x0301)) + u" y"_qs;
        QTest::newRow("combining marks typed into a run of them")
            << marks << 130 << QStringList{u"type:\u0308"_qs, u"backspace"_qs, u"paste:\u0301\u0301"_qs};
        QTest::newRow("deletions at a piece break") << flags << -1 << QStringList{u"backspace"_qs, u"delete"_qs};
    }
    void editsInPieces()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QStringList, edits);
        Area area(true);
        area.memo.setText(text);
        QVERIFY(!area.pieceBreaks().isEmpty());
        QTextCursor cursor = area.memo.textCursor();
        // -1: at the first piece break.
        cursor.setPosition(caret < 0 ? area.memo.document()->begin().next().position()
                                     : area.memo.positionFrom(0, caret));
        area.memo.setTextCursor(cursor);
        for (const QString& edit : edits) {
            if (edit.startsWith(u"type:")) {
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, edit.mid(5));
                QApplication::sendEvent(&area.memo, &key);
            } else if (edit.startsWith(u"paste:")) {
                QApplication::clipboard()->setText(edit.mid(6));
                area.memo.paste();
            } else {
                QTest::keyClick(&area.memo, edit == u"backspace" ? Qt::Key_Backspace : Qt::Key_Delete);
            }
            const QString fault = PieceFault(area);
            QVERIFY2(fault.isEmpty(), qPrintable(edit + u": "_qs + fault));
        }
        QVERIFY(area.memo.text() != text);
    }

    // A lone surrogate is a character of its own; no boundary ever falls inside a pair.
    void loneSurrogates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("boundaries");
        const QChar high(0xD83D);
        const QChar low(0xDE00);
        QTest::newRow("lone high") << QString(u'a') + high + u'b' << QList<qsizetype>{0, 1, 2, 3};
        QTest::newRow("lone low") << QString(u'a') + low + u'b' << QList<qsizetype>{0, 1, 2, 3};
        QTest::newRow("low before high") << QString(low) + high << QList<qsizetype>{0, 1, 2};
        QTest::newRow("pair after lone high") << QString(high) + high + low << QList<qsizetype>{0, 1, 3};
        // ICU takes a lone half for a character an accent may follow.
        QTest::newRow("accent after a lone high") << QString(high) + QChar(0x0301) << QList<qsizetype>{0, 2};
    }
    void loneSurrogates()
    {
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, boundaries);
        QCOMPARE(Boundaries(text), boundaries);
        QVERIFY(WalksAgree(text, boundaries));
        // From inside a pair, the walk lands on the pair's edges.
        TGraphemes graphemes(text);
        for (qsizetype at = 1; at < text.size(); ++at) {
            QVERIFY(!InsidePair(text, graphemes.next(at)));
            QVERIFY(!InsidePair(text, graphemes.previous(at)));
        }
    }
};

VEXLO_TEST_MAIN(TestGraphemes)
#include "test_graphemes.moc"
