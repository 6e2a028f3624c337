#include "mainkeys.h"

#include <QKeySequence>
#include <QShortcut>

#include "framework/Guarded.h"
#include "main.h"

void AddMainShortcuts(TfrmMain* window)
{
    const struct {
        QKeyCombination key;
        const char* name;
        void (TfrmMain::*command)();
    } shortcuts[] = {
        {Qt::CTRL | Qt::Key_O, "scOpen", &TfrmMain::lblFileOpenClick},
        {Qt::CTRL | Qt::Key_S, "scSave", &TfrmMain::lblFileSaveClick},
        {Qt::CTRL | Qt::Key_Q, "scExit", &TfrmMain::lblExitClick},
    };
    for (const auto& entry : shortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(entry.key), window);
        shortcut->setObjectName(QLatin1String(entry.name));
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, Guarded(window, entry.command));
    }
}
