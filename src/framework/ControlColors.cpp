#include "framework/ControlColors.h"

#include <QPalette>
#include <QWidget>

void SetBackgroundColor(QWidget* control, TColor color)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

void SetTextColor(QWidget* control, TColor color)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    palette.setColor(QPalette::Text, ToQColor(color));
    control->setPalette(palette);
}
