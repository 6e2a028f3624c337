#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: start (with a file to open, or none), the
// usage, the version, or nothing but a message about a wrong call.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString fileName;  // absolute; empty when none was given
    QString error;     // for Error: the German message, usage hint included
};

// arguments as the program got them, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);

// arguments without the options the application object takes for itself
// (such as -platform NAME), so that a call can be answered before the window
// system is started. Options after "--" stay.
QStringList WithoutQtOptions(const QStringList& arguments);

// The German usage that --help prints.
QString UsageText();

// "Vexlo-Ed" and the version record of executable, as the version label shows it.
QString VersionText(const QString& executable);

// The exit status of a wrong call.
constexpr int CommandLineErrorStatus = 2;
