#include "placement.h"

#include <QScreen>
#include <QWidget>

void CentreOver(QWidget* window, const QWidget* over)
{
    QRect frame = window->frameGeometry();
    if (over && over->isVisible()) {
        frame.moveCenter(over->frameGeometry().center());
    } else if (const QScreen* screen = window->screen()) {
        frame.moveCenter(screen->availableGeometry().center());
    } else {
        return;
    }
    window->move(frame.topLeft());
}
