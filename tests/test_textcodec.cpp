#include <QTest>

#include "framework/TextCodec.h"
#include "testsupport.h"

class TestTextCodec : public QObject {
    Q_OBJECT
private slots:
    void validUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ascii") << QByteArray("Hallo Welt, 12345678901234567890") << true;
        QTest::newRow("umlaut") << QByteArray("Gr\xC3\xBC\xC3\x9F") << true;
        QTest::newRow("euro") << QByteArray("\xE2\x82\xAC") << true;
        QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80") << true;
        QTest::newRow("largest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("last before surrogates") << QByteArray("\xED\x9F\xBF") << true;
        QTest::newRow("first after surrogates") << QByteArray("\xEE\x80\x80") << true;
        QTest::newRow("smallest 3-byte") << QByteArray("\xE0\xA0\x80") << true;
        QTest::newRow("smallest 4-byte") << QByteArray("\xF0\x90\x80\x80") << true;
        QTest::newRow("multibyte after long ascii run") << QByteArray("abcdefghijklmnop\xC3\xA4xyz") << true;

        QTest::newRow("lone cp1252 byte") << QByteArray("Gr\xFC\xDF") << false;
        QTest::newRow("stray continuation") << QByteArray("a\x80z") << false;
        QTest::newRow("overlong slash C0") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("overlong C1") << QByteArray("\xC1\xBF") << false;
        QTest::newRow("overlong 3-byte") << QByteArray("\xE0\x80\xAF") << false;
        QTest::newRow("overlong 4-byte") << QByteArray("\xF0\x8F\xBF\xBF") << false;
        QTest::newRow("high surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("low surrogate") << QByteArray("\xED\xBF\xBF") << false;
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << false;
        QTest::newRow("FF byte") << QByteArray("\xFF") << false;
        QTest::newRow("truncated 2-byte at end") << QByteArray("abc\xC3") << false;
        QTest::newRow("truncated 4-byte at end") << QByteArray("\xF0\x9F\x98") << false;
        QTest::newRow("ascii inside sequence") << QByteArray(
                                                      "\xE2\x82"
                                                      "A")
                                               << false;
        QTest::newRow("invalid after long ascii run") << QByteArray("abcdefghijklmnop\xE4xyz") << false;
    }
    void validUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(TextCodec::IsValidUtf8(bytes), valid);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("windows1252");
        QTest::newRow("utf8") << QByteArray("Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC") << QStringLiteral("Grüß €") << false;
        QTest::newRow("bom dropped") << QByteArray("\xEF\xBB\xBFHallo") << QStringLiteral("Hallo") << false;
        QTest::newRow("only bom") << QByteArray("\xEF\xBB\xBF") << QString() << false;
        QTest::newRow("bom kept inside") << QByteArray("a\xEF\xBB\xBF") << QStringLiteral("a\uFEFF") << false;
        // Only the first is the byte-order mark; the second is a character of the text.
        QTest::newRow("bom then U+FEFF") << QByteArray(
                                                "\xEF\xBB\xBF\xEF\xBB\xBF"
                                                "a")
                                         << QStringLiteral("\uFEFFa") << false;
        QTest::newRow("cp1252") << QByteArray("Gr\xFC\xDF \x80") << QStringLiteral("Grüß €") << true;
        // One invalid byte makes the whole file Windows-1252, BOM bytes included.
        QTest::newRow("bom then invalid") << QByteArray("\xEF\xBB\xBF\xE4") << QStringLiteral("ï»¿ä") << true;
        QTest::newRow("valid utf8 plus one bad byte") << QByteArray("\xC3\xA4\xFF") << QStringLiteral("Ã¤ÿ") << true;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, windows1252);
        bool used = !windows1252;
        QCOMPARE(TextCodec::Decode(bytes, &used), text);
        QCOMPARE(used, windows1252);
    }

    void windows1252HighRow_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        const int expected[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        for (int i = 0; i < 32; ++i)
            QTest::addRow("0x%X", 0x80 + i) << 0x80 + i << expected[i];
    }
    void windows1252HighRow()
    {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        const QByteArray bytes(1, static_cast<char>(byte));
        QCOMPARE(TextCodec::DecodeWindows1252(bytes), QString(QChar(unicode)));
        QByteArray encoded;
        QVERIFY(TextCodec::EncodeWindows1252(QString(QChar(unicode)), encoded));
        QCOMPARE(encoded, bytes);
    }

    void windows1252EveryByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = TextCodec::DecodeWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0xE4), QChar(u'ä'));
        QCOMPARE(text.at(0xA0), QChar(0xA0));
        QByteArray back;
        QVERIFY(TextCodec::EncodeWindows1252(text, back));
        QCOMPARE(back, all);
    }

    void windows1252Unencodable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("C1 control 0x80") << QString(QChar(0x80));
        QTest::newRow("cyrillic") << QStringLiteral("abc д");
        QTest::newRow("emoji") << QStringLiteral("x \U0001F600");
        QTest::newRow("left single quote's neighbour") << QString(QChar(0x2017));
    }
    void windows1252Unencodable()
    {
        QFETCH(QString, text);
        QByteArray bytes("old");
        QVERIFY(!TextCodec::EncodeWindows1252(text, bytes));
        QVERIFY(bytes.isEmpty());
    }
};

VEXLO_TEST_MAIN(TestTextCodec)
#include "test_textcodec.moc"
