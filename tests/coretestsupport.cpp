#include "coretestsupport.h"

#include <QDir>
#include <QFile>

PrivateHome::PrivateHome()
{
    // A Wayland compositor's socket is named relative to the runtime folder
    // that is about to change: it is kept by its full path.
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (!wayland.isEmpty() && !wayland.startsWith('/') && qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        qputenv("WAYLAND_DISPLAY", qgetenv("XDG_RUNTIME_DIR") + '/' + wayland);
    const char* const folders[][2] = {
        {"HOME", "home"},          {"XDG_CONFIG_HOME", "config"}, {"XDG_STATE_HOME", "state"},
        {"XDG_DATA_HOME", "data"}, {"XDG_RUNTIME_DIR", "run"},
    };
    for (const auto& [variable, name] : folders) {
        const QString path = m_dir.filePath(QLatin1String(name));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, QFile::encodeName(path));
    }
}
