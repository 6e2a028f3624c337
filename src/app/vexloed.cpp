// Program entry: the application title, the four windows in their order, the message loop.
#include <QDateTime>
#include <QLocale>
#include <QTimer>
#include <cstdio>

#include "app/commandline.h"
#include "framework/Application.h"
#include "framework/AtomicFile.h"
#include "framework/FileName.h"
#include "framework/QtTranslations.h"
#include "storage/globals.h"
#include "storage/recovery.h"
#include "windows/ProUrlOpen.h"
#include "windows/accessible.h"
#include "windows/main.h"

namespace {

// Answers --help and --version; -1 when the program is to start.
int Answer(const CommandLine& command)
{
    switch (command.action) {
        case CommandLine::Action::Help:
            std::fputs(UsageText().toLocal8Bit().constData(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs(VersionText(QStringLiteral("/proc/self/exe")).toLocal8Bit().constData(), stdout);
            return 0;
        case CommandLine::Action::Error:
            std::fputs(command.error.toLocal8Bit().constData(), stderr);
            return CommandLineErrorStatus;
        case CommandLine::Action::Run:
            break;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const QDateTime started = QDateTime::currentDateTime();
    // --help, --version and a wrong call are answered without a display
    // (packaging scripts and shell completion call them so).
    if (const int status = Answer(ParseCommandLine(WithoutQtOptions(FileName::Arguments(argc, argv)))); status >= 0)
        return status;

    TApplication app(argc, argv);
    // The application object has taken its own options out of argv; a file
    // name stays as its bytes.
    const CommandLine command = ParseCommandLine(FileName::Arguments(argc, argv));
    if (const int status = Answer(command); status >= 0)
        return status;
    // The program speaks German: so do Qt's standard dialogs and menus.
    LoadQtTranslations(app, QStringLiteral("de"));
    // Kinds of files in the file dialogs are named in the default locale's language.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    app.setTitle(QStringLiteral("Vexlo-Ed"));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vexloed"));
    // The program ends with its main window or "beenden", not when the last
    // visible window goes (the main window hides in the tray).
    app.setQuitOnLastWindowClosed(false);
    RegisterLinkCursors();
    InstallAccessibility();
    // The dialogs are made when first opened (CustomizeForm, ExternForm, the
    // link list's edit button): the main window comes up sooner.
    frmMain = new TfrmMain;
    // What a save killed part-way left beside the settings file.
    RemoveStaleTemporaryFiles(SettingsFileName(), started);
    // The text survives a crash, a kill or a power cut in the state folder.
    TRecovery recovery(frmMain->memoMain, RecoveryFolder());
    RecoveryReport found;
    TApplication::Guard([&] { found = recovery.Restore(); });
    if (app.showMainForm)
        frmMain->ShowAtStart();
    if (!found.isEmpty()) {
        // The restored text comes first: a file named on the command line
        // would replace it, so it is left unopened and the notice says so.
        QTimer::singleShot(0, frmMain, [found, fileName = command.fileName] {
            ShowRestoredNotice(frmMain, found, found.restored ? fileName : QString());
        });
    }
    if (!found.restored && !command.fileName.isEmpty()) {
        // Opened as "öffnen" opens it, once the window is up: a refused file
        // is reported over the window.
        QTimer::singleShot(0, frmMain, [fileName = command.fileName] {
            TApplication::Guard([&] { frmMain->OpenTextFile(fileName); });
        });
    }
    const int result = app.exec();
    recovery.Finish();
    delete frmMain;
    return result;
}
