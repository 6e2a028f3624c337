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

    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("windows1252");
        QTest::newRow("empty") << QByteArray() << QString() << false;
        QTest::newRow("utf8") << QByteArray("Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC") << QStringLiteral("Grüß €") << false;
        QTest::newRow("bom dropped") << QByteArray("\xEF\xBB\xBFHallo") << QStringLiteral("Hallo") << false;
        QTest::newRow("only bom") << QByteArray("\xEF\xBB\xBF") << QString() << false;
        QTest::newRow("second bom kept") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFHallo") << QStringLiteral("\uFEFFHallo")
                                         << false;
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
        QTest::newRow("line ends") << QByteArray("a\r\nb\rc\nd\n\re\r") << QStringLiteral("a\nb\nc\nd\n\ne\n") << false;
        QTest::newRow("cp1252 line ends") << QByteArray("\xE4\r\n\xF6\r\xFC\n") << QStringLiteral("ä\nö\nü\n") << true;
        QTest::newRow("separators") << QByteArray("a\xE2\x80\xA8z\xE2\x80\xA9") << QStringLiteral("a\nz\n") << false;
        QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80!") << QStringLiteral("\U0001F600!") << false;
        QTest::newRow("CR LF across a block edge")
            << QByteArray("0123456789abcde\r\nx") << QStringLiteral("0123456789abcde\nx") << false;
        QTest::newRow("invalid byte after long valid run")
            << QByteArray("0123456789abcdef\xC3\xA4\r\n0123456789abcdef\xE4")
            << QStringLiteral("0123456789abcdefÃ¤\n0123456789abcdefä") << true;
    }
    void decodeText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, windows1252);
        const TextCodec::DecodedText decoded = TextCodec::DecodeText(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.windows1252, windows1252);
        QCOMPARE(decoded.lineBreaks, text.count(u'\n'));
        QVERIFY(!decoded.hasNul);
    }

    // Every special byte at every place of two blocks: the fast path over
    // plain runs must hand over to the careful one at exactly the right byte.
    void decodeTextAgreesEverywhere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const struct {
            const char* name;
            QByteArray bytes;
            QString text;
        } pieces[] = {
            {"CR LF", "\r\n", "\n"},
            {"CR", "\r", "\n"},
            {"LF", "\n", "\n"},
            {"umlaut", "\xC3\xA4", "ä"},
            {"emoji", "\xF0\x9F\x98\x80", "\U0001F600"},
            {"separator", "\xE2\x80\xA8", "\n"},
            {"cp1252 byte", "\x80", "€"},
        };
        for (const auto& piece : pieces) {
            for (int at = 0; at <= 33; ++at) {
                const QByteArray filler(40, 'x');
                const QByteArray bytes = filler.left(at) + piece.bytes + "y" + filler.left(40 - at);
                const QString text = QString(at, u'x') + piece.text + u'y' + QString(40 - at, u'x');
                QTest::addRow("%s at %d", piece.name, at) << bytes << text;
            }
        }
    }
    void decodeTextAgreesEverywhere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const TextCodec::DecodedText decoded = TextCodec::DecodeText(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.lineBreaks, text.count(u'\n'));
    }

    // A file read piece by piece decodes as it does whole, wherever the
    // pieces end: inside a mark, a sequence or a CR LF.
    void decoderInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("byte-order mark") << QByteArray(
            "\xEF\xBB\xBF"
            "ab\r\ncd");
        QTest::newRow("two marks") << QByteArray(
            "\xEF\xBB\xBF\xEF\xBB\xBF"
            "x");
        QTest::newRow("mark's first bytes only") << QByteArray("\xEF\xBB");
        QTest::newRow("not a mark") << QByteArray(
            "\xEF\xBC\x81"
            "a");
        QTest::newRow("sequences") << QByteArray("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xE2\x80\xA8z");
        QTest::newRow("CR LF and CR") << QByteArray("a\r\n\r\r\nb\r");
        QTest::newRow("cut off at the end") << QByteArray("ab\xE2\x82");
        QTest::newRow("invalid late") << QByteArray("\xC3\xA4\r\nabc\xE4\r\n");
        QTest::newRow("long run then umlaut") << QByteArray("0123456789abcdefghij\xC3\xBC\r\n0123456789abcdefghij");
        QTest::newRow("NUL") << QByteArray("ab\r\0c", 5);
    }
    void decoderInPieces()
    {
        QFETCH(QByteArray, bytes);
        const TextCodec::DecodedText whole = TextCodec::DecodeText(bytes);
        for (qsizetype pieceSize = 1; pieceSize <= bytes.size(); ++pieceSize) {
            TextCodec::DecodedText pieces;
            for (const bool windows1252 : {false, true}) {
                TextCodec::TextDecoder decoder(windows1252, bytes.size());
                bool ok = true;
                for (qsizetype at = 0; at < bytes.size() && ok; at += pieceSize)
                    ok = decoder.feed(QByteArrayView(bytes.constData() + at, qMin(pieceSize, bytes.size() - at)));
                if ((ok && decoder.finish()) || decoder.hasNul()) {
                    pieces = decoder.take();
                    break;
                }
            }
            QCOMPARE(pieces.hasNul, whole.hasNul);
            if (whole.hasNul)
                continue;
            QCOMPARE(pieces.text, whole.text);
            QCOMPARE(pieces.lineBreaks, whole.lineBreaks);
            QCOMPARE(pieces.windows1252, whole.windows1252);
        }
    }

    void decodeTextFindsNul_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("first") << QByteArray("\0abc", 4);
        QTest::newRow("in a long run") << QByteArray("0123456789\0abcdefghijklmn", 25);
        QTest::newRow("last, after cp1252") << QByteArray("\xE4x\0", 3);
    }
    void decodeTextFindsNul()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(TextCodec::DecodeText(bytes).hasNul);
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
