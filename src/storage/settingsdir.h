#pragma once

#include <QString>

// The folder that holds the settings file. A vexloed.ini beside the program
// is always used (portable use, the build folder). Otherwise a copy that was
// installed (its desktop entry lies at installedMarker, relative to the
// program's folder) or whose folder the user cannot write keeps its settings
// in userConfigDir; any other copy keeps them beside itself.
QString SettingsDirectory(const QString& programDir, const QString& userConfigDir, const QString& installedMarker);

// The program's folder in the user's configuration folder:
// $XDG_CONFIG_HOME/vexloed, by default ~/.config/vexloed.
QString UserConfigDirectory();

// The relative path from the program's folder to an installed copy's desktop entry.
QString InstalledMarker();

// Creates directory and its missing parents (private to the user, as
// configuration folders are). Returns 0, or the system's error number.
int MakeDirectoryPath(const QString& directory);
