#include "storage/globals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <cerrno>

#include "counting/countrule.h"
#include "framework/AtomicFile.h"
#include "framework/VexloError.h"
#include "storage/profile.h"
#include "storage/settingsdir.h"

TSettings Settings;
std::int32_t EditSlot = 0;

namespace {

const QString SectionConfig = QStringLiteral("Config");
const QString SectionZaehlweise = QStringLiteral("Zaehlweise");

// Font sizes outside this range are no size a text area can show.
constexpr std::int32_t MinFontSize = 1;
constexpr std::int32_t MaxFontSize = 1000;

QString& ProgramDirForTesting()
{
    static QString directory;
    return directory;
}

QString ProgramDir()
{
    if (!ProgramDirForTesting().isEmpty())
        return ProgramDirForTesting();
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (executable.isEmpty())
        return QDir::currentPath();
    return QFileInfo(executable).absolutePath();
}

// The input/output error of a failed system call: the codes the messages
// know, or the system's own number.
QString SystemErrorMessage(int error)
{
    switch (error) {
        case ENOENT:
            return InOutErrorMessage(2);
        case ENOTDIR:
        case ENAMETOOLONG:
            return InOutErrorMessage(3);
        case EMFILE:
        case ENFILE:
            return InOutErrorMessage(4);
        case EACCES:
        case EPERM:
        case EROFS:
            return InOutErrorMessage(5);
        case ENOSPC:
        case EDQUOT:
            return InOutErrorMessage(101);
        default:
            return QStringLiteral("E/A-Fehler %1").arg(error);
    }
}

VexloError CannotCreate(const QString& fileName, int error)
{
    return VexloError(
        QStringLiteral("Datei %1 kann nicht erstellt werden: %2").arg(fileName, SystemErrorMessage(error)));
}

}  // namespace

QString SettingsFileName()
{
    QString directory = ProgramDirForTesting().isEmpty()
                            ? SettingsDirectory(ProgramDir(), UserConfigDirectory(), InstalledMarker())
                            : ProgramDirForTesting();
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    Settings.AppPath = directory;
    return Settings.AppPath + QStringLiteral("vexloed.ini");
}

void SetProgramDirForTesting(const QString& directory)
{
    ProgramDirForTesting() = directory;
}

void LoadSettings(QFont& font)
{
    const QString fileName = SettingsFileName();
    if (!QFileInfo::exists(fileName)) {
        Settings.GrenzeGB = DefaultGrenzeGB;
        Settings.GrenzeForum = DefaultGrenzeForum;
        Settings.ZaehlweiseGB = Settings.ZaehlweiseForum = int(TCountRule::Browser);
        return;
    }
    const IniFile ini(fileName);
    // Anything but a rule's number is the browser's rule.
    Settings.ZaehlweiseGB = int(CountRuleFromValue(ini.ReadInteger(SectionZaehlweise, QStringLiteral("GB"), 1)));
    Settings.ZaehlweiseForum = int(CountRuleFromValue(ini.ReadInteger(SectionZaehlweise, QStringLiteral("Forum"), 1)));
    Settings.GrenzeGB = ini.ValueExists(SectionConfig, QStringLiteral("GrenzeGB"))
                            ? ini.ReadInteger(SectionConfig, QStringLiteral("GrenzeGB"), DefaultGrenzeGB)
                            : DefaultGrenzeGB;
    Settings.GrenzeForum = ini.ValueExists(SectionConfig, QStringLiteral("GrenzeForum"))
                               ? ini.ReadInteger(SectionConfig, QStringLiteral("GrenzeForum"), DefaultGrenzeForum)
                               : DefaultGrenzeForum;

    if (ini.ValueExists(SectionConfig, QStringLiteral("Font")))
        font.setFamily(ini.ReadString(SectionConfig, QStringLiteral("Font"), DefaultFontName));
    if (ini.ValueExists(SectionConfig, QStringLiteral("FontSize"))) {
        std::int32_t size = ini.ReadInteger(SectionConfig, QStringLiteral("FontSize"), DefaultFontSize);
        if (size < MinFontSize || size > MaxFontSize)
            size = DefaultFontSize;
        font.setPointSize(size);
    }

    // The tray key gates the three keys the settings dialog writes with it.
    if (ini.ValueExists(SectionConfig, QStringLiteral("SysTray"))) {
        const std::int32_t sysTray = ini.ReadInteger(SectionConfig, QStringLiteral("SysTray"), 0);
        if (ini.ValueExists(SectionConfig, QStringLiteral("StartMinimized")))
            Settings.StartMinimized = ini.ReadInteger(SectionConfig, QStringLiteral("StartMinimized"), 0) != 0;
        if (ini.ValueExists(SectionConfig, QStringLiteral("Layout")))
            Settings.LayoutColor =
                ini.ReadInteger(SectionConfig, QStringLiteral("Layout"), 0) != 0 ? ColorGreen : ColorBlue;
        else
            Settings.LayoutColor = ColorGreen;
        Settings.SysTrayOnStart = sysTray != 0;
    }
}

void SaveConfig(const QString& fontName, std::int32_t fontSize, const QString& grenzeGBText,
                const QString& grenzeForumText, bool sysTray, bool layoutGreen, bool startMinimized)
{
    const QString fileName = SettingsFileName();
    // Both limits first: a bad one must not leave half a save behind.
    const std::int32_t grenzeGB = StrToInt(grenzeGBText);
    const std::int32_t grenzeForum = StrToInt(grenzeForumText);
    const bool created = EnsureSettingsFile(QStringLiteral("[Config]"));

    IniFile ini(fileName);
    ini.WriteString(SectionConfig, QStringLiteral("Font"), fontName);
    ini.WriteInteger(SectionConfig, QStringLiteral("FontSize"), fontSize);
    ini.WriteInteger(SectionConfig, QStringLiteral("GrenzeGB"), grenzeGB);
    ini.WriteInteger(SectionConfig, QStringLiteral("GrenzeForum"), grenzeForum);
    ini.WriteInteger(SectionConfig, QStringLiteral("SysTray"), sysTray ? 1 : 0);
    ini.WriteInteger(SectionConfig, QStringLiteral("Layout"), layoutGreen ? 1 : 0);
    ini.WriteInteger(SectionConfig, QStringLiteral("StartMinimized"), startMinimized ? 1 : 0);
    UpdateSettingsFile(ini, created);
}

void SaveCountRule(const QString& key, std::int32_t value)
{
    const QString fileName = SettingsFileName();
    const bool created = EnsureSettingsFile(QLatin1Char('[') + SectionZaehlweise + QLatin1Char(']'));
    IniFile ini(fileName);
    ini.WriteInteger(SectionZaehlweise, key, value);
    UpdateSettingsFile(ini, created);
}

void UpdateSettingsFile(IniFile& ini, bool created)
{
    try {
        ini.UpdateFile();
    } catch (const VexloError&) {
        // Only the header was ever written to it: a failed first save leaves nothing.
        if (created)
            ::unlink(QFile::encodeName(ini.fileName()).constData());
        throw;
    }
}

bool EnsureSettingsFile(const QString& header)
{
    const QString fileName = SettingsFileName();
    if (QFileInfo::exists(fileName))
        return false;
    // The user's configuration folder is made at the first save; a missing
    // program folder is an error, never made.
    if (Settings.AppPath == UserConfigDirectory() + QLatin1Char('/')) {
        if (const int error = MakeDirectoryPath(Settings.AppPath))
            throw VexloError(QStringLiteral("Der Ordner %1 kann nicht angelegt werden: %2")
                                 .arg(QDir::cleanPath(Settings.AppPath), SystemErrorMessage(error)));
    }
    const QByteArray path = QFile::encodeName(fileName);
    int fd;
    do {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw CannotCreate(fileName, errno);
    const bool written = WriteAll(fd, header.toUtf8() + "\r\n");
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    if (!written || error != 0) {
        ::unlink(path.constData());  // no half-made settings file
        throw CannotCreate(fileName, error);
    }
    return true;
}

QString InOutErrorMessage(int code)
{
    switch (code) {
        case 2:
            return QStringLiteral("Datei nicht gefunden");
        case 3:
            return QStringLiteral("Ungültiger Dateiname");
        case 4:
            return QStringLiteral("Zu viele geöffnete Dateien");
        case 5:
            return QStringLiteral("Dateizugriff verweigert");
        case 100:
            return QStringLiteral("Versuch hinter dem Dateiende zu lesen");
        case 101:
            return QStringLiteral("Zu wenig Speicherplatz");
        case 106:
            return QStringLiteral("Ungültige numerische Eingabe");
        default:
            return QStringLiteral("E/A-Fehler %1").arg(code);
    }
}

bool LoadSpellCheckSetting()
{
    const QString fileName = SettingsFileName();
    if (!QFileInfo::exists(fileName))
        return true;
    const IniFile ini(fileName);
    return ini.ReadInteger(QStringLiteral("Rechtschreibung"), QStringLiteral("Pruefen"), 1) != 0;
}

void SaveSpellCheckSetting(bool on)
{
    const bool created = EnsureSettingsFile(QStringLiteral("[Rechtschreibung]"));
    IniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("Rechtschreibung"), QStringLiteral("Pruefen"), on ? 1 : 0);
    UpdateSettingsFile(ini, created);
}
