#pragma once

#include <QtGlobal>

// Mouse buttons and the keyboard/button state passed to mouse events.
enum TMouseButton : quint8 { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// A set held in one byte.
using TShiftState = quint8;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
