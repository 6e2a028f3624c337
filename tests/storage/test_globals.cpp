#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QProcess>
#include <QTest>

#include "storage/globals.h"
#include "storage/profile.h"
#include "testsupport.h"

namespace {

bool Writable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Takes the write permission from a file or directory. Permission bits do
// not stop root, so the immutable attribute is tried then; Apply is false
// when neither stops writes here.
class WriteProtection {
public:
    explicit WriteProtection(QString path) : m_path(std::move(path)) {}
    ~WriteProtection()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
    }
    bool Apply()
    {
        struct stat info {};
        if (::stat(QFile::encodeName(m_path).constData(), &info) != 0)
            return false;
        m_mode = info.st_mode & 07777;
        ::chmod(QFile::encodeName(m_path).constData(), m_mode & ~0222);
        if (!Writable(m_path))
            return true;
        m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
        return !Writable(m_path);
    }

private:
    QString m_path;
    mode_t m_mode = 0755;
    bool m_immutable = false;
};

const QByteArray SavedDefaults(
    "[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\nSysTray=1\r\nLayout=0\r\n"
    "StartMinimized=0\r\n");

void SaveDefaults()
{
    SaveConfig(QStringLiteral("Arial"), 10, QStringLiteral("2000"), QStringLiteral("3000"), true, false, false);
}

QString CannotWrite(const QString& fileName)
{
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(fileName);
}

}  // namespace

class TestGlobals : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("vexloed.ini")); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(iniPath());
        SetProgramDirForTesting(m_dir.path());
        Settings = TSettings();
        Settings.LayoutColor = ColorGreen;
    }

    void settingsFileNameIsBesideTheExecutable()
    {
        SetProgramDirForTesting(QString());
        const QString expected = QCoreApplication::applicationDirPath() + QStringLiteral("/vexloed.ini");
        QCOMPARE(SettingsFileName(), expected);
        QCOMPARE(Settings.AppPath, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        SetProgramDirForTesting(m_dir.path() + QLatin1Char('/'));
        QCOMPARE(SettingsFileName(), iniPath());
    }

    void loadSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<uint>("initialLayout");
        QTest::addColumn<int>("grenzeGB");
        QTest::addColumn<int>("grenzeForum");
        QTest::addColumn<uint>("layout");
        QTest::addColumn<bool>("sysTray");
        QTest::addColumn<bool>("startMinimized");
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<int>("fontSize");
        const QByteArray head("[Config]\r\n");
        QTest::newRow("no file") << QByteArray() << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false
                                 << false << "Start" << 12;
        QTest::newRow("no file keeps layout")
            << QByteArray() << uint(ColorBlue) << 2000 << 3000 << uint(ColorBlue) << false << false << "Start" << 12;
        QTest::newRow("empty file") << QByteArray("") << uint(ColorBlue) << 2000 << 3000 << uint(ColorBlue) << false
                                    << false << "Start" << 12;
        QTest::newRow("all keys")
            << head +
                   "Font=Verdana\r\nFontSize=11\r\nGrenzeGB=1500\r\nGrenzeForum=2500\r\nSysTray=1\r\nLayout=0\r\n"
                   "StartMinimized=1\r\n"
            << uint(ColorGreen) << 1500 << 2500 << uint(ColorBlue) << true << true << "Verdana" << 11;
        QTest::newRow("layout without tray")
            << head + "Layout=0\r\nStartMinimized=1\r\n"
            << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false << "Start" << 12;
        QTest::newRow("layout 7") << head + "SysTray=0\r\nLayout=7\r\n"
                                  << uint(ColorBlue) << 2000 << 3000 << uint(ColorGreen) << false << false << "Start"
                                  << 12;
        QTest::newRow("layout abc") << head + "SysTray=1\r\nLayout=abc\r\n"
                                    << uint(ColorGreen) << 2000 << 3000 << uint(ColorBlue) << true << false << "Start"
                                    << 12;
        QTest::newRow("a bare tray line is no key")
            << head + "SysTray\r\nLayout=0\r\nStartMinimized=1\r\n"
            << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false << "Start" << 12;
        QTest::newRow("tray without layout")
            << head + "SysTray=1\r\n"
            << uint(ColorBlue) << 2000 << 3000 << uint(ColorGreen) << true << false << "Start" << 12;
        QTest::newRow("tray abc still gates")
            << head + "SysTray=abc\r\nLayout=0\r\nStartMinimized=5\r\n"
            << uint(ColorGreen) << 2000 << 3000 << uint(ColorBlue) << false << true << "Start" << 12;
        QTest::newRow("limit 0x10") << head + "GrenzeGB=0x10\r\n"
                                    << uint(ColorGreen) << 16 << 3000 << uint(ColorGreen) << false << false << "Start"
                                    << 12;
        QTest::newRow("limit $10") << head + "GrenzeGB=$10\r\nGrenzeForum=x10\r\n"
                                   << uint(ColorGreen) << 16 << 16 << uint(ColorGreen) << false << false << "Start"
                                   << 12;
        QTest::newRow("limit 12abc") << head + "GrenzeGB=12abc\r\nGrenzeForum=\r\n"
                                     << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false
                                     << "Start" << 12;
        QTest::newRow("limits 0 and negative")
            << head + "GrenzeGB=-5\r\nGrenzeForum=0\r\n"
            << uint(ColorGreen) << -5 << 0 << uint(ColorGreen) << false << false << "Start" << 12;
        QTest::newRow("blanks around values")
            << head + "  grenzegb =  42 \t\r\nGRENZEFORUM\t=\t43\r\n"
            << uint(ColorGreen) << 42 << 43 << uint(ColorGreen) << false << false << "Start" << 12;
        QTest::newRow("limits of another section")
            << QByteArray("[URL]\r\nGrenzeGB=5\r\n[Config]\r\n") << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen)
            << false << false << "Start" << 12;
        QTest::newRow("font size abc") << head + "Font=Times\r\nFontSize=abc\r\n"
                                       << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false
                                       << "Times" << 10;
        QTest::newRow("font size 0") << head + "FontSize=0\r\n"
                                     << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false
                                     << "Start" << 10;
        QTest::newRow("font size huge") << head + "FontSize=2147483647\r\n"
                                        << uint(ColorGreen) << 2000 << 3000 << uint(ColorGreen) << false << false
                                        << "Start" << 10;
        QTest::newRow("binary garbage") << QByteArray("\x00\xFF\xFE[\x01\r\x80=\n\x9D", 10) << uint(ColorBlue) << 2000
                                        << 3000 << uint(ColorBlue) << false << false << "Start" << 12;
    }
    void loadSettings()
    {
        QFETCH(QByteArray, file);
        QFETCH(uint, initialLayout);
        if (!file.isNull())
            WriteFileBytes(iniPath(), file);
        Settings.LayoutColor = initialLayout;
        QFont font(QStringLiteral("Start"));
        font.setPointSize(12);
        LoadSettings(font);
        QTEST(int(Settings.GrenzeGB), "grenzeGB");
        QTEST(int(Settings.GrenzeForum), "grenzeForum");
        QTEST(uint(Settings.LayoutColor), "layout");
        QTEST(Settings.SysTrayOnStart, "sysTray");
        QTEST(Settings.StartMinimized, "startMinimized");
        QTEST(font.family(), "fontName");
        QTEST(font.pointSize(), "fontSize");
        QCOMPARE(Settings.AppPath, m_dir.path() + QLatin1Char('/'));
    }

    void loadSettingsWithDirectoryInPlaceOfTheFile()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("vexloed.ini")));
        Settings.GrenzeGB = 1;
        QFont font;
        LoadSettings(font);
        QCOMPARE(Settings.GrenzeGB, 2000);
        QCOMPARE(ErrorOf(SaveDefaults), CannotWrite(iniPath()));
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("vexloed.ini")));
    }

    void saveConfigCreatesTheFile()
    {
        SaveDefaults();
        QCOMPARE(ReadFileBytes(iniPath()), SavedDefaults);
        QCOMPARE(Settings.AppPath, m_dir.path() + QLatin1Char('/'));
        QCOMPARE(Settings.GrenzeGB, 0);  // the save leaves the record to the next load
    }

    void saveThenLoad_data()
    {
        QTest::addColumn<QString>("gbText");
        QTest::addColumn<QString>("forumText");
        QTest::addColumn<int>("grenzeGB");
        QTest::addColumn<int>("grenzeForum");
        QTest::newRow("plain") << "1500"
                               << "2500" << 1500 << 2500;
        QTest::newRow("zero and negative") << "0"
                                           << "-7" << 0 << -7;
        QTest::newRow("hex and blanks") << "$10"
                                        << "  0x20" << 16 << 32;
        QTest::newRow("extremes") << "2147483647"
                                  << "-2147483648" << 2147483647 << int(-2147483647 - 1);
    }
    void saveThenLoad()
    {
        QFETCH(QString, gbText);
        QFETCH(QString, forumText);
        QFETCH(int, grenzeGB);
        QFETCH(int, grenzeForum);
        SaveConfig(QString::fromUtf8("Bitstream Verä"), 9, gbText, forumText, false, true, true);
        QFont font;
        LoadSettings(font);
        QCOMPARE(Settings.GrenzeGB, grenzeGB);
        QCOMPARE(Settings.GrenzeForum, grenzeForum);
        QCOMPARE(Settings.LayoutColor, ColorGreen);
        QCOMPARE(Settings.SysTrayOnStart, false);
        QCOMPARE(Settings.StartMinimized, true);
        QCOMPARE(font.family(), QString::fromUtf8("Bitstream Verä"));
        QCOMPARE(font.pointSize(), 9);
        QVERIFY(ReadFileBytes(iniPath()).contains("\r\nGrenzeGB=" + QByteArray::number(grenzeGB) + "\r\n"));
    }

    void invalidLimitWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("gbText");
        QTest::addColumn<QString>("forumText");
        QTest::addColumn<QString>("message");
        const QByteArray existing("[Config]\r\nFont=Old\r\nGrenzeGB=5\r\n");
        QTest::newRow("guest book 12a") << existing << "12a"
                                        << "3000"
                                        << "'12a' ist kein gültiger Integerwert";
        QTest::newRow("guest book trailing blank") << existing << "12 "
                                                   << "3000"
                                                   << "'12 ' ist kein gültiger Integerwert";
        QTest::newRow("forum empty") << existing << "2000"
                                     << ""
                                     << "'' ist kein gültiger Integerwert";
        QTest::newRow("forum too large") << existing << "2000"
                                         << "2147483648"
                                         << "'2147483648' ist kein gültiger Integerwert";
        QTest::newRow("no file yet") << QByteArray() << "2000"
                                     << "-$10"
                                     << "'-$10' ist kein gültiger Integerwert";
    }
    void invalidLimitWritesNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, gbText);
        QFETCH(QString, forumText);
        QFETCH(QString, message);
        if (!file.isNull())
            WriteFileBytes(iniPath(), file);
        QCOMPARE(ErrorOf([&] { SaveConfig(QStringLiteral("New"), 11, gbText, forumText, true, true, true); }), message);
        QCOMPARE(ReadFileBytes(iniPath()), file);
        QCOMPARE(QFileInfo::exists(iniPath()), !file.isNull());
    }

    void saveKeepsEverythingElse()
    {
        const QByteArray before(
            "; Vexlo-Ed\n[URL]\r\nURL1=http://example.invalid/?a=b\r\nName1=Bäume\r\n\r\n[config]\r\n"
            "grenzegb = 1 \r\nX=1\r\n\r\n[Other]\rK=V");
        WriteFileBytes(iniPath(), before);
        SaveConfig(QStringLiteral("Arial"), 10, QStringLiteral("7"), QStringLiteral("8"), false, true, false);
        QCOMPARE(ReadFileBytes(iniPath()),
                 QByteArray("; Vexlo-Ed\n[URL]\r\nURL1=http://example.invalid/?a=b\r\nName1=Bäume\r\n\r\n[config]\r\n"
                            "grenzegb=7\r\nX=1\r\nFont=Arial\r\nFontSize=10\r\nGrenzeForum=8\r\nSysTray=0\r\n"
                            "Layout=1\r\nStartMinimized=0\r\n\r\n[Other]\rK=V"));
        // And the link list's section write leaves the Config section alone.
        IniFile ini(SettingsFileName());
        ini.WriteString(QStringLiteral("URL"), QStringLiteral("URL1"), QStringLiteral("mailto:a@b.invalid"));
        ini.UpdateFile();
        QFont font;
        LoadSettings(font);
        QCOMPARE(Settings.GrenzeGB, 7);
        QCOMPARE(Settings.GrenzeForum, 8);
        QCOMPARE(IniFile(iniPath()).ReadString(QStringLiteral("URL"), QStringLiteral("Name1"), QString()),
                 QString::fromUtf8("Bäume"));
    }

    void refusedWriteKeepsTheFile_data()
    {
        QTest::addColumn<bool>("protectDirectory");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only directory") << true;
    }
    void refusedWriteKeepsTheFile()
    {
        QFETCH(bool, protectDirectory);
        const QByteArray before("[Config]\r\nGrenzeGB=5\r\n[URL]\r\nURL1=x\r\n");
        WriteFileBytes(iniPath(), before);
        WriteProtection protection(protectDirectory ? m_dir.path() : iniPath());
        if (!protection.Apply())
            QSKIP("Nothing stops this user from writing here");
        QCOMPARE(ErrorOf(SaveDefaults), CannotWrite(iniPath()));
        QCOMPARE(ReadFileBytes(iniPath()), before);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("vexloed.ini*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList{"vexloed.ini"});
    }

    void creatingTheFileFails_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing directory") << "missing"
                                           << "Datei nicht gefunden";
        QTest::newRow("directory is a file") << "plain.txt"
                                             << "Ungültiger Dateiname";
        QTest::newRow("name too long") << QString(300, u'n') << "Ungültiger Dateiname";
        QTest::newRow("read-only directory") << "locked"
                                             << "Dateizugriff verweigert";
        QTest::newRow("system directory") << "/sys"
                                          << "Dateizugriff verweigert";
    }
    void creatingTheFileFails()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, message);
        const QString dir = QDir(m_dir.path()).filePath(programDir);
        WriteFileBytes(m_dir.filePath(QStringLiteral("plain.txt")), "x");
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("locked"))));
        WriteProtection protection(m_dir.filePath(QStringLiteral("locked")));
        if (programDir == QLatin1String("locked") && !protection.Apply())
            QSKIP("Nothing stops this user from writing here");
        if (programDir.startsWith(QLatin1Char('/')) && !QFileInfo(dir).isDir())
            QSKIP("No protected system directory here");
        SetProgramDirForTesting(dir);
        const QString named = QStringLiteral("Datei %1/vexloed.ini kann nicht erstellt werden: %2").arg(dir, message);
        QCOMPARE(ErrorOf(SaveDefaults), named);
        QCOMPARE(ErrorOf([] { EnsureSettingsFile(QStringLiteral("[URL]")); }), named);
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/vexloed.ini")));
    }

    void ensureSettingsFile()
    {
        EnsureSettingsFile(QStringLiteral("[URL]"));
        QCOMPARE(ReadFileBytes(iniPath()), QByteArray("[URL]\r\n"));
        EnsureSettingsFile(QStringLiteral("[Config]"));
        QCOMPARE(ReadFileBytes(iniPath()), QByteArray("[URL]\r\n"));
        SaveDefaults();
        QCOMPARE(ReadFileBytes(iniPath()), "[URL]\r\n" + SavedDefaults);
    }

    void inOutErrorMessage_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("2") << 2 << "Datei nicht gefunden";
        QTest::newRow("3") << 3 << "Ungültiger Dateiname";
        QTest::newRow("4") << 4 << "Zu viele geöffnete Dateien";
        QTest::newRow("5") << 5 << "Dateizugriff verweigert";
        QTest::newRow("100") << 100 << "Versuch hinter dem Dateiende zu lesen";
        QTest::newRow("101") << 101 << "Zu wenig Speicherplatz";
        QTest::newRow("106") << 106 << "Ungültige numerische Eingabe";
        QTest::newRow("other") << 28 << "E/A-Fehler 28";
    }
    void inOutErrorMessage()
    {
        QFETCH(int, code);
        QTEST(InOutErrorMessage(code), "message");
    }
};

VEXLO_TEST_MAIN(TestGlobals)
#include "test_globals.moc"
