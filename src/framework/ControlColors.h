#pragma once

#include "framework/Colors.h"

class QWidget;

// The control's background (filled) and its text colour.
void SetBackgroundColor(QWidget* control, TColor color);
void SetTextColor(QWidget* control, TColor color);
