#pragma once

#include <QColor>
#include <cstdint>

// Colours as 0x00BBGGRR values; a value with the top bit set names a system
// colour by its index in the desktop's colour table.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnHighlight = 0x80000014;

QColor ToQColor(TColor color);
// The nearest plain value of a QColor (never a system colour).
TColor FromQColor(const QColor& color);

class QPalette;
// The light colours every window is drawn with, whatever the desktop's scheme:
// the windows paint fixed backgrounds (white header, layout colours, marks),
// so their texts must not take a dark scheme's light colours.
QPalette LightPalette();
