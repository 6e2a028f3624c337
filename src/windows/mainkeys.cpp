#include "windows/mainkeys.h"

#include <QContextMenuEvent>
#include <QPlainTextEdit>
#include <QShortcut>

#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "windows/accessible.h"

namespace {

// The menu of a text area, at the caret, as the menu key opens it.
void OpenTextMenu(QPlainTextEdit* area)
{
    if (!area->isVisible())
        return;
    QWidget* viewport = area->viewport();
    const QPoint at = viewport->rect().contains(area->cursorRect().center()) ? area->cursorRect().center()
                                                                             : viewport->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport, &event);
}

QShortcut* AddWindowKey(QWidget* window, QKeyCombination key, const char* name)
{
    auto* shortcut = new QShortcut(QKeySequence(key), window);
    shortcut->setObjectName(QLatin1String(name));
    shortcut->setContext(Qt::WindowShortcut);
    return shortcut;
}

}  // namespace

void AddCommandKey(QWidget* window, const TCommandKey& command)
{
    QObject::connect(command.button, &LabelButton::clicked, window, Guarded(command.command));
    QShortcut* shortcut = AddWindowKey(window, command.key, command.name);
    QObject::connect(shortcut, &QShortcut::activated, window, Guarded(command.command));
    const QString hint = command.button->toolTip();
    const QString key = QStringLiteral("(%1)").arg(QLatin1String(command.keyText));
    command.button->setToolTip(hint.isEmpty() ? key : hint + QLatin1Char(' ') + key);
    SetCommandKey(command.button, QLatin1String(command.keyText));
}

void AddTextMenuKey(QWidget* window, QPlainTextEdit* cover, QPlainTextEdit* text)
{
    QShortcut* menuKey = AddWindowKey(window, Qt::SHIFT | Qt::Key_F10, "scTextMenu");
    QObject::connect(menuKey, &QShortcut::activated, window,
                     Guarded([cover, text] { OpenTextMenu(cover->isVisible() ? cover : text); }));
}
