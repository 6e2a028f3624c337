#include "framework/Colors.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace {

QPalette::ColorRole SystemRole(TColor index)
{
    switch (index) {
        case 0x08:
            return QPalette::WindowText;
        case 0x0F:
            return QPalette::Button;
        case 0x10:
            return QPalette::Dark;
        case 0x14:
            return QPalette::Light;
        default:
            return QPalette::Window;
    }
}

}  // namespace

QColor ToQColor(TColor color)
{
    if (color & 0x80000000u)
        return QApplication::palette().color(SystemRole(color & 0xFF));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

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
