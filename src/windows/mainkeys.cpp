#include "windows/mainkeys.h"

#include <QContextMenuEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QShortcut>

#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "text/memo.h"
#include "windows/accessible.h"
#include "windows/main.h"

namespace {

// The menu of the text area that is shown (the about text covers the other),
// at the caret, as the menu key opens it.
void OpenTextMenu(TfrmMain* window)
{
    QPlainTextEdit* area = window->memoAbout->isVisible() ? window->memoAbout : window->memoMain;
    if (!area->isVisible())
        return;
    QWidget* viewport = area->viewport();
    const QPoint at = viewport->rect().contains(area->cursorRect().center()) ? area->cursorRect().center()
                                                                             : viewport->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport, &event);
}

}  // namespace

void AddMainShortcuts(TfrmMain* window)
{
    const struct {
        QKeyCombination key;
        const char* name;
        const char* keyText;  // as a German keyboard names the keys
        LabelButton* TfrmMain::*button;
        void (TfrmMain::*command)();
    } shortcuts[] = {
        {Qt::CTRL | Qt::Key_O, "scOpen", "Strg+O", &TfrmMain::lblFileOpen, &TfrmMain::lblFileOpenClick},
        {Qt::CTRL | Qt::Key_S, "scSave", "Strg+S", &TfrmMain::lblFileSave, &TfrmMain::lblFileSaveClick},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_C, "scCopy", "Strg+Umschalt+C", &TfrmMain::lblCopyClip,
         &TfrmMain::lblCopyClipClick},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_V, "scPaste", "Strg+Umschalt+V", &TfrmMain::lblClipPaste,
         &TfrmMain::lblClipPasteClick},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, "scClear", "Strg+Umschalt+Entf", &TfrmMain::lblClear,
         &TfrmMain::lblClearClick},
        {Qt::CTRL | Qt::Key_L, "scExtern", "Strg+L", &TfrmMain::lblExtern, &TfrmMain::lblExternClick},
        {Qt::Key_F1, "scAbout", "F1", &TfrmMain::lblAbout, &TfrmMain::lblAboutClick},
        {Qt::CTRL | Qt::Key_Q, "scExit", "Strg+Q", &TfrmMain::lblExit, &TfrmMain::lblExitClick},
        {Qt::CTRL | Qt::Key_Comma, "scCustomize", "Strg+,", &TfrmMain::lblCustomize, &TfrmMain::lblCustomizeClick},
    };
    for (const auto& entry : shortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(entry.key), window);
        shortcut->setObjectName(QLatin1String(entry.name));
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, Guarded(window, entry.command));
        LabelButton* button = window->*entry.button;
        const QString hint = button->toolTip();
        const QString key = QStringLiteral("(%1)").arg(QLatin1String(entry.keyText));
        button->setToolTip(hint.isEmpty() ? key : hint + QLatin1Char(' ') + key);
        SetCommandKey(button, QLatin1String(entry.keyText));
    }
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), window);
    menuKey->setObjectName(QStringLiteral("scTextMenu"));
    menuKey->setContext(Qt::WindowShortcut);
    QObject::connect(menuKey, &QShortcut::activated, window, Guarded([window] { OpenTextMenu(window); }));
}
