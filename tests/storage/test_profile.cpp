#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "storage/profile.h"
#include "testsupport.h"

namespace {

// The address space the process has mapped, from /proc/self/statm (pages).
qint64 MappedBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

}  // namespace

class TestProfile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("test.ini")); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(iniPath());
    }

    void tryStrToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "123" << true << 123;
        QTest::newRow("0x prefix") << "0x10" << true << 16;
        QTest::newRow("0X prefix") << "0X1f" << true << 31;
        QTest::newRow("dollar") << "$10" << true << 16;
        QTest::newRow("x prefix") << "x10" << true << 16;
        QTest::newRow("X prefix") << "XaB" << true << 171;
        QTest::newRow("minus") << "-5" << true << -5;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("leading blanks") << " \t 12" << true << 12;
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("minus zero") << "-0" << true << 0;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("hex max") << "$7FFFFFFF" << true << 2147483647;
        QTest::newRow("trailing letters") << "12abc" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("blank after sign") << "- 5" << false << 0;
        QTest::newRow("sign before dollar") << "-$10" << false << 0;
        QTest::newRow("sign before 0x") << "+0x10" << false << 0;
        QTest::newRow("two signs") << "--5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "   " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("prefix only") << "$" << false << 0;
        QTest::newRow("0x only") << "0x" << false << 0;
        QTest::newRow("hex digit in decimal") << "1f" << false << 0;
        QTest::newRow("non-hex after prefix") << "$1g" << false << 0;
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("too small") << "-2147483649" << false << 0;
        QTest::newRow("hex too large") << "$80000000" << false << 0;
        QTest::newRow("far too large") << "99999999999999999999999" << false << 0;
        QTest::newRow("arabic-indic digit") << QString::fromUtf8("\u0663") << false << 0;
        QTest::newRow("fullwidth digit") << QString::fromUtf8("\uFF11") << false << 0;
    }
    void tryStrToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        std::int32_t result = 4711;
        QCOMPARE(TryStrToInt(text, result), ok);
        QCOMPARE(result, ok ? value : 4711);
    }

    void strToIntRaisesConversionError()
    {
        QCOMPARE(StrToInt(QStringLiteral("-42")), -42);
        QCOMPARE(ErrorOf([] { StrToInt(QStringLiteral("12 ")); }),
                 QStringLiteral("'12 ' ist kein gültiger Integerwert"));
        QCOMPARE(ErrorOf([] { StrToInt(QString()); }), QStringLiteral("'' ist kein gültiger Integerwert"));
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QByteArray("[Config]\r\nFont=Arial\r\n") << "Config"
                               << "Font"
                               << "Arial";
        QTest::newRow("blanks around") << QByteArray("[Config]\r\n  Font \t=\t Times New Roman  \r\n") << "Config"
                                       << "Font"
                                       << "Times New Roman";
        QTest::newRow("key case") << QByteArray("[Config]\r\nGRENZEGB=5\r\n") << "Config"
                                  << "grenzegb"
                                  << "5";
        QTest::newRow("section case") << QByteArray("[config]\r\nFont=A\r\n") << "CONFIG"
                                      << "Font"
                                      << "A";
        QTest::newRow("blanks round section") << QByteArray("  [ Config ]  \r\nFont=A\r\n") << "Config"
                                              << "Font"
                                              << "A";
        QTest::newRow("first = splits") << QByteArray("[URL]\r\nURL1=http://a/?b=c\r\n") << "URL"
                                        << "URL1"
                                        << "http://a/?b=c";
        QTest::newRow("empty value") << QByteArray("[Config]\r\nFont=\r\n") << "Config"
                                     << "Font"
                                     << "";
        QTest::newRow("quotes kept") << QByteArray("[Config]\r\nFont=\"A B\"\r\n") << "Config"
                                     << "Font"
                                     << "\"A B\"";
        QTest::newRow("missing section") << QByteArray("[Other]\r\nFont=A\r\n") << "Config"
                                         << "Font"
                                         << "fb";
        QTest::newRow("missing key") << QByteArray("[Config]\r\nFontSize=1\r\n") << "Config"
                                     << "Font"
                                     << "fb";
        QTest::newRow("key of next section") << QByteArray("[Config]\r\n[URL]\r\nFont=A\r\n") << "Config"
                                             << "Font"
                                             << "fb";
        QTest::newRow("key before any section") << QByteArray("Font=A\r\n[Config]\r\n") << "Config"
                                                << "Font"
                                                << "fb";
        QTest::newRow("key without =") << QByteArray("[Config]\r\nFont\r\n") << "Config"
                                       << "Font"
                                       << "fb";
        QTest::newRow("comment ignored") << QByteArray("[Config]\r\n;Font=X\r\nFont=A\r\n") << "Config"
                                         << "Font"
                                         << "A";
        QTest::newRow("first key wins") << QByteArray("[Config]\r\nFont=A\r\nfont=B\r\n") << "Config"
                                        << "Font"
                                        << "A";
        QTest::newRow("first section wins") << QByteArray("[Config]\r\nFont=A\r\n[Config]\r\nFont=B\r\n") << "Config"
                                            << "Font"
                                            << "A";
        QTest::newRow("LF only") << QByteArray("[Config]\nFont=A\nFontSize=9\n") << "Config"
                                 << "FontSize"
                                 << "9";
        QTest::newRow("CR only") << QByteArray("[Config]\rFont=A\rFontSize=9") << "Config"
                                 << "FontSize"
                                 << "9";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[Config]\r\nFont=\xC3\x84rial\r\n") << "Config"
                                         << "Font" << QString::fromUtf8("Ärial");
        QTest::newRow("windows-1252") << QByteArray("[Config]\r\nFont=Caf\xE9 \x80\r\n") << "Config"
                                      << "Font" << QString::fromUtf8("Café €");
        // Only the file's first three bytes can be a byte-order mark.
        QTest::newRow("value beginning with U+FEFF")
            << QByteArray("\xEF\xBB\xBF[URL]\r\nDesc1=\xEF\xBB\xBFName\r\n") << "URL"
            << "Desc1" << QStringLiteral("\uFEFFName");
        QTest::newRow("zero ends value") << QByteArray("[Config]\r\nFont=Ari\0al\r\n", 21) << "Config"
                                         << "Font"
                                         << "Ari";
    }
    void readString()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        WriteFileBytes(iniPath(), file);
        const IniFile ini(iniPath());
        QCOMPARE(ini.ReadString(section, key, QStringLiteral("fb")), expected);
    }

    void readStringReturnsAtMost2047Characters()
    {
        WriteFileBytes(iniPath(), "[URL]\r\nURL1=" + QByteArray(5000, 'a') + "\r\nURL2=" + QByteArray(2047, 'b'));
        const IniFile ini(iniPath());
        QCOMPARE(ini.ReadString(QStringLiteral("URL"), QStringLiteral("URL1"), QString()), QString(2047, u'a'));
        QCOMPARE(ini.ReadString(QStringLiteral("URL"), QStringLiteral("URL2"), QString()), QString(2047, u'b'));
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("2500") << 2500;
        QTest::newRow("blanks removed first") << QByteArray("  42\t") << 42;
        QTest::newRow("0x") << QByteArray("0x10") << 16;
        QTest::newRow("0X after blanks") << QByteArray(" 0X1F ") << 31;
        QTest::newRow("dollar") << QByteArray("$10") << 16;
        QTest::newRow("0x alone") << QByteArray("0x") << -1;
        QTest::newRow("letters") << QByteArray("abc") << -1;
        QTest::newRow("trailing letters") << QByteArray("12abc") << -1;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("empty") << QByteArray("") << -1;
    }
    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        WriteFileBytes(iniPath(), "[Config]\r\nGrenzeGB=" + value + "\r\n");
        const IniFile ini(iniPath());
        QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("GrenzeGB"), -1), expected);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("Missing"), -1), -1);
    }

    void valueExists()
    {
        WriteFileBytes(iniPath(), "[Config]\r\n;Font=x\r\nSysTray\r\nLayout=0\r\n\r\n[URL]\r\nFontSize=1\r\n");
        const IniFile ini(iniPath());
        QVERIFY(ini.ValueExists(QStringLiteral("config"), QStringLiteral("LAYOUT")));
        QVERIFY(!ini.ValueExists(QStringLiteral("Config"), QStringLiteral("SysTray")));  // no "=": no key
        QVERIFY(!ini.ValueExists(QStringLiteral("Config"), QStringLiteral("Font")));
        QVERIFY(!ini.ValueExists(QStringLiteral("Config"), QStringLiteral("FontSize")));
        QVERIFY(!ini.ValueExists(QStringLiteral("Missing"), QStringLiteral("Layout")));
    }

    void valueExistsSeesOnlyKeysWithinTheKeyList()
    {
        // 1023 names of 15 bytes plus their zeros and the final zero take
        // 16,369 of the 16,384 bytes; "Layout" still fits, "SysTray" would
        // fill the last byte and is cut short.
        QByteArray file = "[Config]\r\n";
        for (int i = 0; i < 1023; ++i)
            file += "Filler" + QByteArray::number(100000000 + i) + "=1\r\n";
        file += "Layout=0\r\nSysTray=1\r\n";
        WriteFileBytes(iniPath(), file);
        const IniFile ini(iniPath());
        QVERIFY(ini.ValueExists(QStringLiteral("Config"), QStringLiteral("Filler100001022")));
        QVERIFY(ini.ValueExists(QStringLiteral("Config"), QStringLiteral("Layout")));
        QVERIFY(!ini.ValueExists(QStringLiteral("Config"), QStringLiteral("SysTray")));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("SysTray"), 0), 1);
    }

    void writeString_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "Config"
                                  << "Font"
                                  << "Arial" << QByteArray("[Config]\r\nFont=Arial\r\n");
        QTest::newRow("in place") << QByteArray("[Config]\r\nFont=Arial\r\nFontSize=10\r\n") << "Config"
                                  << "Font"
                                  << "Verdana" << QByteArray("[Config]\r\nFont=Verdana\r\nFontSize=10\r\n");
        QTest::newRow("in place keeps key spelling, ends in CR LF")
            << QByteArray("[Config]\n  grenzegb = 5 \nX=1\n") << "Config"
            << "GrenzeGB"
            << "7" << QByteArray("[Config]\ngrenzegb=7\r\nX=1\n");
        QTest::newRow("in place CR only") << QByteArray("[Config]\rFont=A\rX=1") << "Config"
                                          << "Font"
                                          << "B" << QByteArray("[Config]\rFont=B\r\nX=1");
        QTest::newRow("in place last line without line end") << QByteArray("[Config]\r\nFont=A") << "Config"
                                                             << "Font"
                                                             << "B" << QByteArray("[Config]\r\nFont=B\r\n");
        QTest::newRow("a line without = is no key") << QByteArray("[Config]\r\nSysTray\r\n") << "Config"
                                                    << "SysTray"
                                                    << "1" << QByteArray("[Config]\r\nSysTray\r\nSysTray=1\r\n");
        QTest::newRow("windows-1252 whose one odd byte is overwritten becomes UTF-8")
            << QByteArray("[Config]\r\nFont=\xC4\r\n[URL]\r\nDesc1=Gru\xDF\x93\r\n") << "Config"
            << "Font"
            << "Arial" << QByteArray("[Config]\r\nFont=Arial\r\n[URL]\r\nDesc1=Gru\xC3\x9F\xE2\x80\x9C\r\n");
        QTest::newRow("end of section before blank lines")
            << QByteArray("[Config]\r\nFont=A\r\n\r\n[URL]\r\nURL1=x\r\n") << "Config"
            << "Layout"
            << "1" << QByteArray("[Config]\r\nFont=A\r\nLayout=1\r\n\r\n[URL]\r\nURL1=x\r\n");
        QTest::newRow("end of section with LF lines") << QByteArray("[Config]\nFont=A\n[URL]\n") << "Config"
                                                      << "Layout"
                                                      << "1" << QByteArray("[Config]\nFont=A\nLayout=1\r\n[URL]\n");
        QTest::newRow("end of last section without line end")
            << QByteArray("[Config]\r\nFont=A") << "Config"
            << "Layout"
            << "1" << QByteArray("[Config]\r\nFont=A\r\nLayout=1\r\n");
        QTest::newRow("header only") << QByteArray("[Config]") << "config"
                                     << "Font"
                                     << "A" << QByteArray("[Config]\r\nFont=A\r\n");
        QTest::newRow("new section at end")
            << QByteArray("[Config]\r\nFont=A\r\n\r\n") << "URL"
            << "URL1"
            << "http://x" << QByteArray("[Config]\r\nFont=A\r\n\r\n[URL]\r\nURL1=http://x\r\n");
        QTest::newRow("new section after CR-only line") << QByteArray("; note\r") << "URL"
                                                        << "URL1"
                                                        << "x" << QByteArray("; note\r[URL]\r\nURL1=x\r\n");
        QTest::newRow("commented key is not replaced") << QByteArray("[Config]\r\n;Font=A\r\n") << "Config"
                                                       << "Font"
                                                       << "B" << QByteArray("[Config]\r\n;Font=A\r\nFont=B\r\n");
        QTest::newRow("byte-order mark kept")
            << QByteArray("\xEF\xBB\xBF[Config]\r\nFont=A\r\n") << "Config"
            << "Font" << QString::fromUtf8("Ä") << QByteArray("\xEF\xBB\xBF[Config]\r\nFont=\xC3\x84\r\n");
        QTest::newRow("windows-1252 stays") << QByteArray("[URL]\r\nName1=Caf\xE9\r\n") << "URL"
                                            << "Name2" << QString::fromUtf8("Müsli €")
                                            << QByteArray("[URL]\r\nName1=Caf\xE9\r\nName2=M\xFCsli \x80\r\n");
        QTest::newRow("windows-1252 becomes UTF-8")
            << QByteArray("[URL]\r\nName1=Caf\xE9\r\n") << "URL"
            << "Name2" << QString::fromUtf8("Ω") << QByteArray("[URL]\r\nName1=Caf\xC3\xA9\r\nName2=\xCE\xA9\r\n");
        // Once its last byte foreign to UTF-8 is gone, the file would read as UTF-8: "Ã©" would become "é".
        QTest::newRow("windows-1252 losing its last non-UTF-8 byte becomes UTF-8")
            << QByteArray("[URL]\r\nName1=\xC3\xA9\r\nName2=\xE9\r\n") << "URL"
            << "Name2"
            << "e" << QByteArray("[URL]\r\nName1=\xC3\x83\xC2\xA9\r\nName2=e\r\n");
        QTest::newRow("value beginning with U+FEFF")
            << QByteArray("[URL]\r\n") << "URL"
            << "Desc1" << QStringLiteral("\uFEFFName") << QByteArray("[URL]\r\nDesc1=\xEF\xBB\xBFName\r\n");
        QTest::newRow("line breaks in value") << QByteArray() << "URL"
                                              << "URL1"
                                              << "a\r\n[Config]\nb" << QByteArray("[URL]\r\nURL1=a  [Config] b\r\n");
    }
    void writeString()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            WriteFileBytes(iniPath(), before);
        IniFile ini(iniPath());
        ini.WriteString(section, key, value);
        // Reads see the file as it was; only UpdateFile writes.
        QCOMPARE(ReadFileBytes(iniPath()), before);
        ini.UpdateFile();
        QCOMPARE(ReadFileBytes(iniPath()), after);
        QCOMPARE(IniFile(iniPath()).ReadString(section, key, QString()), ini.ReadString(section, key, QString()));
    }

    // Writing one key never changes how another one reads afterwards.
    void otherKeysReadTheSame_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("otherSection");
        QTest::addColumn<QString>("otherKey");
        // "Gruß“" in Windows-1252 happens to be valid UTF-8 on its own.
        const QByteArray oddByteOnWrittenLine("[Config]\r\nFont=\xC4\r\n[URL]\r\nDesc1=Gru\xDF\x93\r\n");
        QTest::newRow("odd byte on the written line") << oddByteOnWrittenLine << "Config"
                                                      << "Font"
                                                      << "Arial"
                                                      << "URL"
                                                      << "Desc1";
        QTest::newRow("odd byte elsewhere") << oddByteOnWrittenLine << "URL"
                                            << "Desc2"
                                            << "x"
                                            << "Config"
                                            << "Font";
        QTest::newRow("new character beyond the code page") << oddByteOnWrittenLine << "URL"
                                                            << "Desc2" << QString::fromUtf8("Ω") << "URL"
                                                            << "Desc1";
        QTest::newRow("UTF-8 file") << QByteArray("[URL]\r\nDesc1=Gr\xC3\xBC\xC3\x9F\r\n") << "URL"
                                    << "Desc2"
                                    << "x"
                                    << "URL"
                                    << "Desc1";
    }
    void otherKeysReadTheSame()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, otherSection);
        QFETCH(QString, otherKey);
        WriteFileBytes(iniPath(), before);
        const QString other = IniFile(iniPath()).ReadString(otherSection, otherKey, QString());
        QVERIFY(!other.isEmpty());
        {
            IniFile ini(iniPath());
            ini.WriteString(section, key, value);
            ini.UpdateFile();
        }
        QCOMPARE(IniFile(iniPath()).ReadString(otherSection, otherKey, QString()), other);
        QCOMPARE(IniFile(iniPath()).ReadString(section, key, QString()), value);
    }

    // A settings file of a few bytes takes memory by its size: with little
    // address space to spare, reading it still works.
    void readingTakesMemoryByTheFileSize_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("small file") << QByteArray("[Config]\r\nFont=Arial\r\n");
        QTest::newRow("one megabyte") << "[Config]\r\nFont=Arial\r\n;" + QByteArray(1 << 20, '-') + "\r\n";
    }
    void readingTakesMemoryByTheFileSize()
    {
        QFETCH(QByteArray, file);
        WriteFileBytes(iniPath(), file);
        const QString font = TextFromChild([&] {
            rlimit limit{};
            getrlimit(RLIMIT_AS, &limit);
            // What the process holds now, plus 16 MiB: far below a fixed 64 MiB buffer.
            limit.rlim_cur = rlim_t(MappedBytes() + (16 << 20));
            if (setrlimit(RLIMIT_AS, &limit) != 0)
                return QStringLiteral("<no limit>");
            return IniFile(iniPath()).ReadString(QStringLiteral("Config"), QStringLiteral("Font"), QString());
        });
        QCOMPARE(font, QStringLiteral("Arial"));
    }

    void severalWritesLandTogether()
    {
        const QByteArray before("; kept\n[URL]\r\nURL1=http://a\r\n[Config]\rFont=A\r[Extra]\nx=1");
        WriteFileBytes(iniPath(), before);
        IniFile ini(iniPath());
        ini.WriteString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("B"));
        ini.WriteInteger(QStringLiteral("Config"), QStringLiteral("FontSize"), -12);
        ini.WriteString(QStringLiteral("URL"), QStringLiteral("Name1"), QStringLiteral("A"));
        ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
        ini.UpdateFile();
        QCOMPARE(ReadFileBytes(iniPath()),
                 QByteArray("; kept\n[URL]\r\nURL1=http://a\r\nName1=A\r\n[Config]\rFont=B\r\nFontSize=-12\r\n"
                            "[Extra]\nx=1\r\n[New]\r\nk=v\r\n"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("FontSize"), 0), -12);
    }

    void unchangedValueLeavesFileAlone()
    {
        WriteFileBytes(iniPath(), "[Config]\r\nFont=A\r\n");
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(iniPath()).constData(), &before), 0);
        IniFile ini(iniPath());
        ini.WriteString(QStringLiteral("config"), QStringLiteral("font"), QStringLiteral("A"));
        ini.UpdateFile();
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(iniPath()).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);  // a replacement would be a new file
    }

    void garbageFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("font");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919) % 256);
        QTest::newRow("binary") << binary << "fb";
        QTest::newRow("binary then keys") << binary + "\r\n[Config]\r\nFont=A\r\n"
                                          << "A";
        QTest::newRow("zeros") << QByteArray(5000, '\0') << "fb";
        QTest::newRow("zeros in key line") << QByteArray("[Config]\r\n\0\0Font=A\r\n", 20) << "fb";
        QTest::newRow("10 MB line") << "[Config]\r\nURL1=" + QByteArray(10 * 1024 * 1024, 'x') + "\r\nFont=A\r\n"
                                    << "A";
        QTest::newRow("10 MB value") << "[Config]\r\nFont=" + QByteArray(10 * 1024 * 1024, 'y') + "\r\n"
                                     << QString(2047, u'y');
        QTest::newRow("10 MB without line break") << QByteArray(10 * 1024 * 1024, '[') << "fb";
        QTest::newRow("no line break") << QByteArray("[Config] Font=A") << "fb";
        QTest::newRow("CR only") << QByteArray("\r\r[Config]\r\rFont = A \r") << "A";
        QTest::newRow("invalid UTF-8") << QByteArray("[Config]\r\nFont=\xC3\x28\xFF\r\n") << "\u00C3(\u00FF";
        QTest::newRow("truncated UTF-8") << QByteArray("[Config]\r\nFont=A\xE2\x82") << "A\u00E2\u201A";
        QTest::newRow("unclosed section") << QByteArray("[Config\r\nFont=A\r\n") << "fb";
    }
    void garbageFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, font);
        WriteFileBytes(iniPath(), file);
        IniFile ini(iniPath());
        QCOMPARE(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("fb")), font);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("FontSize"), 10), 10);
        ini.WriteInteger(QStringLiteral("Config"), QStringLiteral("FontSize"), 9);
        ini.UpdateFile();
        const QByteArray after = ReadFileBytes(iniPath());
        QVERIFY(after.startsWith(file));  // every such file gets the key at its end
        QCOMPARE(IniFile(iniPath()).ReadInteger(QStringLiteral("Config"), QStringLiteral("FontSize"), 10), 9);
    }

    void fileAboveTheCapIsNotTouched()
    {
        {
            QFile file(iniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Config]\r\nFont=A\r\n");
            QVERIFY(file.resize(64 * 1024 * 1024 + 1));  // sparse: quick to make
        }
        IniFile ini(iniPath());
        QCOMPARE(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("fb")),
                 QStringLiteral("fb"));
        QVERIFY(!ini.ValueExists(QStringLiteral("Config"), QStringLiteral("Font")));
        ini.UpdateFile();  // nothing written yet, nothing refused
        ini.WriteString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("B"));
        QCOMPARE(ErrorOf([&] { ini.UpdateFile(); }),
                 QStringLiteral("In %1 kann nicht geschrieben werden").arg(iniPath()));
        QFile file(iniPath());
        QCOMPARE(file.size(), 64 * 1024 * 1024 + 1);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(20), QByteArray("[Config]\r\nFont=A\r\n\0\0", 20));
    }

    void directoryInPlaceOfTheFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("dir.ini"));
        QVERIFY(QDir().mkpath(path));
        IniFile ini(path);
        QCOMPARE(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("fb")),
                 QStringLiteral("fb"));
        ini.WriteString(QStringLiteral("Config"), QStringLiteral("Font"), QStringLiteral("B"));
        QCOMPARE(ErrorOf([&] { ini.UpdateFile(); }), QStringLiteral("In %1 kann nicht geschrieben werden").arg(path));
        QVERIFY(QFileInfo(path).isDir());
    }
};

VEXLO_TEST_MAIN(TestProfile)
#include "test_profile.moc"
