#include "framework/Colors.h"

#include <QGuiApplication>
#include <QPalette>

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

QPalette LightPalette()
{
    const QColor face(0xF0, 0xF0, 0xF0);
    QPalette palette(Qt::black, face, Qt::white, QColor(0xA0, 0xA0, 0xA0), QColor(0xA0, 0xA0, 0xA0), Qt::black,
                     Qt::white, Qt::white, face);
    palette.setColor(QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    palette.setColor(QPalette::Shadow, QColor(0x69, 0x69, 0x69));
    palette.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, Qt::blue);
    palette.setColor(QPalette::LinkVisited, QColor(0x80, 0x00, 0x80));
    palette.setColor(QPalette::ToolTipBase, QColor(0xC0, 0xC0, 0xC0));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(0x6D, 0x6D, 0x6D));
    const QColor grey(0x6D, 0x6D, 0x6D);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        palette.setColor(QPalette::Disabled, role, grey);
    palette.setColor(QPalette::Disabled, QPalette::Base, face);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xCC, 0xCC, 0xCC));
    return palette;
}

QColor ToQColor(TColor color)
{
    if (color & 0x80000000u)
        return QGuiApplication::palette().color(SystemRole(color & 0xFF));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}
