// Program entry: the application title, the four windows in their order, the message loop.
#include <QTimer>

#include "ProUrlOpen.h"
#include "changeurl.h"
#include "customize.h"
#include "extern.h"
#include "framework/Application.h"
#include "main.h"
#include "recovery.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.setTitle(QStringLiteral("Vexlo-Ed"));
    // The program ends with its main window or "beenden", not when the last
    // visible window goes (the main window hides in the tray).
    app.setQuitOnLastWindowClosed(false);
    RegisterLinkCursors();
    frmMain = new TfrmMain;
    frmCustomize = new TfrmCustomize(frmMain);
    frmExtern = new TfrmExtern(frmMain);
    frmChangeURL = new TfrmChangeURL(frmMain);
    // The text survives a crash, a kill or a power cut in the state folder.
    TRecovery recovery(frmMain->memoMain, RecoveryFolder());
    bool restored = false;
    TApplication::Guard([&] { restored = recovery.Restore(); });
    if (app.showMainForm)
        frmMain->show();
    if (restored)
        QTimer::singleShot(0, frmMain, [] { ShowRestoredNotice(frmMain); });
    const int result = app.exec();
    recovery.Finish();
    delete frmMain;
    return result;
}
