#pragma once

#include <QString>
#include <cstdint>

#include "framework/Colors.h"

class IniFile;
class QFont;

constexpr std::int32_t DefaultGrenzeGB = 2000;
constexpr std::int32_t DefaultGrenzeForum = 3000;
inline const QString DefaultFontName = QStringLiteral("Arial");
constexpr std::int32_t DefaultFontSize = 10;
constexpr TColor ColorGreen = 0xB5A015;
constexpr TColor ColorBlue = 0xD6AD8C;

// The process-wide settings record.
struct TSettings {
    std::int32_t GrenzeGB = 0;
    std::int32_t GrenzeForum = 0;
    TColor LayoutColor = 0;
    QString AppPath;  // ends in the path separator
    bool SysTrayOnStart = false;
    bool StartMinimized = false;
    // How each limit counts (see countrule.h), 1 to 5.
    std::int32_t ZaehlweiseGB = 1;
    std::int32_t ZaehlweiseForum = 1;
};
extern TSettings Settings;

// The number (1 to 8) of the link entry being edited; 0 at start.
extern std::int32_t EditSlot;

// AppPath := directory of the running executable; returns AppPath + "vexloed.ini".
QString SettingsFileName();
// Tests run the store against a directory of their own instead of the executable's.
void SetProgramDirForTesting(const QString& directory);

// Reads section Config into Settings and applies Font and FontSize to font.
void LoadSettings(QFont& font);

// Writes section Config. Both limit texts are converted before anything is
// written, and all seven keys land in one atomic replacement of the file.
void SaveConfig(const QString& fontName, std::int32_t fontSize, const QString& grenzeGBText,
                const QString& grenzeForumText, bool sysTray, bool layoutGreen, bool startMinimized);

// Writes one key of section Zaehlweise ("GB" or "Forum"), the rest of the
// file left byte for byte.
void SaveCountRule(const QString& key, std::int32_t value);

// Creates the settings file holding header and a line break when it does not
// exist; true when it made it. The errors name the file or folder and the reason.
bool EnsureSettingsFile(const QString& header);
// Writes the settings file (IniFile::UpdateFile); should that fail, a file
// EnsureSettingsFile has just made goes again.
void UpdateSettingsFile(IniFile& ini, bool created);

// The framework's input/output error message for a system error code.
QString InOutErrorMessage(int code);

// Whether spell checking is on: section Rechtschreibung, key Pruefen; on
// unless it is 0.
bool LoadSpellCheckSetting();
// Writes section Rechtschreibung, key Pruefen (1 or 0), when the user
// switches the check.
void SaveSpellCheckSetting(bool on);
