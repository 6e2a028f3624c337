#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <set>

#include "counting/limitmath.h"
#include "counting/textstats.h"
#include "testsupport.h"

namespace {

// "|" stands for a block separator that is not a line break, "\n" for one
// that is; the document holds both as block separators.
struct Doc {
    QTextDocument document;
    std::set<int> continuations;  // positions of the "|" separators
    explicit Doc(const QString& marked)
    {
        QString plain;
        for (const QChar c : marked) {
            if (c == u'|') {
                continuations.insert(int(plain.size()));
                plain += u'\n';
            } else {
                plain += c;
            }
        }
        document.setPlainText(plain);
    }
    TLimitMath math() const
    {
        const QTextDocument* doc = &document;
        const std::set<int>* skip = &continuations;
        return TLimitMath(doc, [doc, skip](int from, int to) -> qsizetype {
            qsizetype n = doc->findBlock(to).blockNumber() - doc->findBlock(from).blockNumber();
            for (int p : *skip)
                n -= (p >= from && p < to);
            return n;
        });
    }
};

// The count of a beginning of the text, character by character.
qsizetype NaiveCount(const QString& text, qsizetype length)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < length; ++i)
        n += text.at(i) == u'\n' ? 2 : text.at(i) == u'|' ? 0 : 1;
    return n;
}

}  // namespace

class TestLimitMath : public QObject {
    Q_OBJECT
private slots:
    void count_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<qsizetype>("expected");
        QTest::newRow("empty") << QString() << 0 << 0 << qsizetype(0);
        QTest::newRow("one line") << QStringLiteral("abcde") << 0 << 5 << qsizetype(5);
        QTest::newRow("break counts two") << QStringLiteral("ab\nc") << 0 << 4 << qsizetype(5);
        QTest::newRow("range across a break") << QStringLiteral("ab\ncd") << 1 << 4 << qsizetype(4);
        QTest::newRow("range ending at a break") << QStringLiteral("ab\ncd") << 0 << 2 << qsizetype(2);
        QTest::newRow("only breaks") << QStringLiteral("\n\n\n") << 0 << 3 << qsizetype(6);
        QTest::newRow("emoji two units") << QStringLiteral("a\U0001F600b") << 0 << 4 << qsizetype(4);
        QTest::newRow("continuation is nothing") << QStringLiteral("abc|def") << 0 << 7 << qsizetype(6);
        QTest::newRow("mixed") << QStringLiteral("ab|c\nd|e") << 0 << 8 << qsizetype(7);
        QTest::newRow("mixed inner range") << QStringLiteral("ab|c\nd|e") << 2 << 6 << qsizetype(4);
    }
    void count()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(qsizetype, expected);
        const Doc doc(text);
        QCOMPARE(doc.math().count(from, to), expected);
    }

    void limitPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside a line") << QStringLiteral("abcdefghij") << qsizetype(5) << 5;
        QTest::newRow("exactly at the limit fits") << QStringLiteral("abcde") << qsizetype(5) << -1;
        QTest::newRow("limit larger than the text") << QStringLiteral("abc") << qsizetype(1000) << -1;
        QTest::newRow("limit 0 is no limit") << QStringLiteral("abc") << qsizetype(0) << -1;
        QTest::newRow("negative limit is no limit") << QStringLiteral("abc") << qsizetype(-7) << -1;
        QTest::newRow("break crossing the limit") << QStringLiteral("ab\ncd") << qsizetype(3) << 2;
        QTest::newRow("break ending at the limit") << QStringLiteral("ab\ncd") << qsizetype(4) << 3;
        QTest::newRow("one after the break") << QStringLiteral("ab\ncd") << qsizetype(5) << 4;
        QTest::newRow("only breaks") << QStringLiteral("\n\n\n") << qsizetype(3) << 1;
        QTest::newRow("emoji across the limit") << QStringLiteral("a\U0001F600b") << qsizetype(2) << 1;
        QTest::newRow("emoji up to the limit") << QStringLiteral("a\U0001F600b") << qsizetype(3) << 3;
        QTest::newRow("emoji first") << QStringLiteral("\U0001F600b") << qsizetype(1) << 0;
        QTest::newRow("limit one, break first") << QStringLiteral("\nab") << qsizetype(1) << 0;
        QTest::newRow("across a continuation") << QStringLiteral("abc|def") << qsizetype(4) << 5;
        QTest::newRow("up to a continuation") << QStringLiteral("abc|def") << qsizetype(3) << 4;
    }
    void limitPosition()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, limit);
        QFETCH(int, expected);
        const Doc doc(text);
        QCOMPARE(doc.math().limitPosition(limit), expected);
    }

    // Against a character-by-character walk, for every limit of texts with
    // many blocks, so that the search over blocks meets every shape.
    void limitPositionMatchesWalk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("lines") << QStringLiteral("eins\nzwei\n\ndrei vier\nf\n");
        QTest::newRow("long and short") << QString(40, u'x') + QStringLiteral("\n\n\ny\nzz\n") + QString(17, u'w');
        QTest::newRow("continuations") << QStringLiteral("abc|def|g\nhi\n|jk|\nl");
        QTest::newRow("emoji lines") << QStringLiteral("\U0001F600\n\U0001F600\U0001F600\nx\U0001F600");
    }
    void limitPositionMatchesWalk()
    {
        QFETCH(QString, text);
        const Doc doc(text);
        const TLimitMath math = doc.math();
        const qsizetype total = NaiveCount(text, text.size());
        QCOMPARE(math.count(), total);
        for (qsizetype limit = 1; limit <= total + 1; ++limit) {
            qsizetype expected = -1;
            if (total > limit) {
                expected = 0;
                while (expected < text.size() && NaiveCount(text, expected + 1) <= limit)
                    ++expected;
                if (expected > 0 && text.at(expected - 1).isHighSurrogate())
                    --expected;
            }
            QCOMPARE(math.limitPosition(limit), int(expected));
        }
    }

    void cutPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<QString>("copied");
        QTest::newRow("inside a word") << QStringLiteral("abc def") << qsizetype(5) << QStringLiteral("abc");
        QTest::newRow("after a blank") << QStringLiteral("abc def") << qsizetype(4) << QStringLiteral("abc ");
        QTest::newRow("before a blank") << QStringLiteral("abc def") << qsizetype(3) << QStringLiteral("abc");
        QTest::newRow("no blank: hard cut") << QStringLiteral("abcdefgh") << qsizetype(5) << QStringLiteral("abcde");
        QTest::newRow("back to a line break") << QStringLiteral("ab\ncdef") << qsizetype(6) << QStringLiteral("ab");
        QTest::newRow("break crossing the limit") << QStringLiteral("ab\ncd") << qsizetype(3) << QStringLiteral("ab");
        QTest::newRow("tab is a blank") << QStringLiteral("ab\tcd") << qsizetype(4) << QStringLiteral("ab");
        QTest::newRow("no-break space holds")
            << QStringLiteral("ab\u00A0cd") << qsizetype(4) << QStringLiteral("ab\u00A0c");
        QTest::newRow("emoji word: hard cut before the pair")
            << QStringLiteral("a\U0001F600\U0001F600") << qsizetype(4) << QStringLiteral("a\U0001F600");
        QTest::newRow("emoji after a blank")
            << QStringLiteral("ab \U0001F600") << qsizetype(4) << QStringLiteral("ab ");
        QTest::newRow("word across a continuation")
            << QStringLiteral("ab c|def") << qsizetype(5) << QStringLiteral("ab");
        QTest::newRow("continuation without blank")
            << QStringLiteral("abc|def") << qsizetype(4) << QStringLiteral("abcd");
        QTest::newRow("blank before a continuation")
            << QStringLiteral("abc |def") << qsizetype(6) << QStringLiteral("abc");
        QTest::newRow("word ends at a continuation")
            << QStringLiteral("ab|\ncd") << qsizetype(3) << QStringLiteral("ab");
    }
    void cutPosition()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, limit);
        QFETCH(QString, copied);
        const Doc doc(text);
        const TLimitMath math = doc.math();
        const int cut = math.cutPosition(limit);
        QVERIFY(cut >= 0);
        QCOMPARE(math.text(0, cut), copied);
        QVERIFY(math.count(0, cut) <= limit);
    }

    void cutPositionWithoutLimit_data()
    {
        QTest::addColumn<qsizetype>("limit");
        QTest::newRow("zero") << qsizetype(0);
        QTest::newRow("negative") << qsizetype(-1);
        QTest::newRow("text fits exactly") << qsizetype(8);
        QTest::newRow("larger") << qsizetype(100);
    }
    void cutPositionWithoutLimit()
    {
        QFETCH(qsizetype, limit);
        const Doc doc(QStringLiteral("abc\ndef"));
        QCOMPARE(doc.math().cutPosition(limit), -1);
    }

    void text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << QStringLiteral("ab\ncd") << 0 << 5 << QStringLiteral("ab\ncd");
        QTest::newRow("up to the break") << QStringLiteral("ab\ncd") << 0 << 2 << QStringLiteral("ab");
        QTest::newRow("with the break") << QStringLiteral("ab\ncd") << 0 << 3 << QStringLiteral("ab\n");
        QTest::newRow("middle") << QStringLiteral("ab\ncd\nef") << 1 << 7 << QStringLiteral("b\ncd\ne");
        QTest::newRow("continuation joins") << QStringLiteral("ab|cd\ne") << 0 << 7 << QStringLiteral("abcd\ne");
        QTest::newRow("empty range") << QStringLiteral("abc") << 1 << 1 << QString();
    }
    void text()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, expected);
        const Doc doc(text);
        QCOMPARE(doc.math().text(from, to), expected);
    }

    void defaultCounterTakesEverySeparator()
    {
        QTextDocument document;
        document.setPlainText(QStringLiteral("ab\ncd\n\ne"));
        const TLimitMath math(&document);
        QCOMPARE(math.count(), qsizetype(11));
        QCOMPARE(math.lineBreaks(0, math.endPosition()), qsizetype(3));
        QCOMPARE(math.text(0, math.endPosition()), QStringLiteral("ab\ncd\n\ne"));
    }

    void stats_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("words");
        QTest::addColumn<qsizetype>("lines");
        QTest::addColumn<qsizetype>("utf8Bytes");
        QTest::addColumn<qsizetype>("chars");
        QTest::newRow("empty") << QString() << qsizetype(0) << qsizetype(0) << qsizetype(0) << qsizetype(0);
        QTest::newRow("two words") << QStringLiteral("ab  cd") << qsizetype(2) << qsizetype(1) << qsizetype(6)
                                   << qsizetype(6);
        QTest::newRow("umlaut and euro") << QStringLiteral("ä€") << qsizetype(1) << qsizetype(1) << qsizetype(5)
                                         << qsizetype(2);
        QTest::newRow("emoji four bytes")
            << QStringLiteral("\U0001F600 x") << qsizetype(2) << qsizetype(1) << qsizetype(6) << qsizetype(4);
        QTest::newRow("break is CR LF") << QStringLiteral("a\nb\n") << qsizetype(2) << qsizetype(3) << qsizetype(6)
                                        << qsizetype(2);
        QTest::newRow("word across a continuation")
            << QStringLiteral("ab|cd\ne") << qsizetype(2) << qsizetype(2) << qsizetype(7) << qsizetype(5);
        QTest::newRow("no-break space joins")
            << QStringLiteral("a\u00A0b") << qsizetype(1) << qsizetype(1) << qsizetype(4) << qsizetype(3);
    }
    void stats()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, words);
        QFETCH(qsizetype, lines);
        QFETCH(qsizetype, utf8Bytes);
        QFETCH(qsizetype, chars);
        const Doc doc(text);
        const TTextStats stats = MeasureText(doc.math());
        QCOMPARE(stats.words, words);
        QCOMPARE(stats.lines, lines);
        QCOMPARE(stats.utf8Bytes, utf8Bytes);
        QCOMPARE(stats.charsWithoutBreaks, chars);
    }
};

VEXLO_TEST_MAIN(TestLimitMath)
#include "test_limitmath.moc"
