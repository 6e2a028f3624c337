#include "storage/settingsdir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#ifndef VEXLO_INSTALLED_MARKER
#define VEXLO_INSTALLED_MARKER "../share/applications/vexloed.desktop"
#endif

QString SettingsDirectory(const QString& programDir, const QString& userConfigDir, const QString& installedMarker)
{
    const QDir program(programDir);
    if (QFileInfo::exists(program.filePath(QStringLiteral("vexloed.ini"))))
        return programDir;
    const bool installed = QFileInfo::exists(program.filePath(installedMarker));
    const bool writable = ::access(QFile::encodeName(programDir).constData(), W_OK) == 0;
    return installed || !writable ? userConfigDir : programDir;
}

QString UserConfigDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vexloed");
}

QString InstalledMarker()
{
    return QStringLiteral(VEXLO_INSTALLED_MARKER);
}

int MakeDirectoryPath(const QString& directory)
{
    const QString path = QDir::cleanPath(QDir(directory).absolutePath());
    if (QFileInfo(path).isDir())
        return 0;
    const qsizetype parentEnd = path.lastIndexOf(QLatin1Char('/'));
    if (parentEnd > 0) {
        if (const int error = MakeDirectoryPath(path.left(parentEnd)))
            return error;
    }
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return 0;
    const int error = errno;
    // Something else by that name (a file) is no folder to use.
    if (error == EEXIST)
        return QFileInfo(path).isDir() ? 0 : ENOTDIR;
    return error;
}
