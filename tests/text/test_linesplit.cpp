#include <QTest>

#include "testsupport.h"
#include "text/linesplit.h"

using Cuts = QList<qsizetype>;

class TestLineSplit : public QObject {
    Q_OBJECT

private slots:
    void cuts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Cuts>("cuts");
        const QString a(PieceLength, u'a');
        QTest::newRow("short") << QStringLiteral("kurz") << Cuts{};
        QTest::newRow("one piece exactly") << a << Cuts{};
        QTest::newRow("no blank: hard cuts") << a + a + u'b' << Cuts{PieceLength, 2 * PieceLength};
        // The last blank of the piece's second half.
        QString prose = QString(100, u'x') + u' ' + QString(10, u'y') + u' ' + QString(100, u'z');
        QTest::newRow("after the last blank") << prose << Cuts{112};
        QString tab = QString(90, u'x') + u'\t' + QString(100, u'z');
        QTest::newRow("after a tab") << tab << Cuts{91};
        QString early = QString(10, u'x') + u' ' + QString(200, u'z');
        QTest::newRow("blank in the first half only") << early << Cuts{PieceLength};
        QString halfway = QString(PieceLength / 2 - 1, u'a') + u' ' + QString(300, u'b');
        QTest::newRow("blank just short of the second half") << halfway << Cuts{PieceLength, 2 * PieceLength};
        QString blankAtEnd = QString(PieceLength - 1, u'x') + u' ' + QString(10, u'z');
        QTest::newRow("blank as the last unit") << blankAtEnd << Cuts{PieceLength};
        // A surrogate pair across the hard cut moves the cut before it.
        QString pair = QString(PieceLength - 1, u'x') + QString::fromUtf16(u"\U0001F600") + QString(10, u'z');
        QTest::newRow("surrogate pair kept whole") << pair << Cuts{PieceLength - 1};
        // A letter keeps its accent; a cluster longer than a piece is cut
        // between two of its code points, never inside a pair.
        QString accent = QString(PieceLength - 1, u'x') + QStringLiteral("e\u0301") + QString(10, u'z');
        QTest::newRow("accent kept with its letter") << accent << Cuts{PieceLength - 1};
        QString marks = u'x' + QString(PieceLength + 5, QChar(0x0301)) + QString(10, u'z');
        QTest::newRow("cluster longer than a piece") << marks << Cuts{PieceLength};
        QString tags = QString::fromUtf16(u"\U0001F3F4") + QString::fromUtf16(u"\U000E0067").repeated(PieceLength);
        QTest::newRow("tag run longer than a piece") << tags << Cuts{PieceLength, 2 * PieceLength};
        QString oddTags = u'x' + tags;
        QTest::newRow("tag run cut between pairs") << oddTags << Cuts{PieceLength - 1, 2 * PieceLength - 1};
    }
    void cuts()
    {
        QFETCH(QString, line);
        QFETCH(Cuts, cuts);
        QCOMPARE(PieceCuts(line), cuts);
    }

    void piecesNeverTooLongNorEmpty()
    {
        // Mixed text, blanks at varying distances, pairs at every offset.
        QString line;
        for (int i = 0; line.size() < 20000; ++i)
            line += QString(i % 300, u'w') + (i % 3 ? QStringLiteral(" ") : QString::fromUtf16(u"\U0001F600"));
        const Cuts cuts = PieceCuts(line);
        qsizetype from = 0;
        for (qsizetype cut : cuts + Cuts{line.size()}) {
            QVERIFY2(cut > from && cut - from <= PieceLength, qPrintable(QString::number(cut)));
            QVERIFY(!(line[cut - 1].isHighSurrogate()));
            from = cut;
        }
    }
};

VEXLO_TEST_MAIN(TestLineSplit)
#include "test_linesplit.moc"
