#pragma once

#include <QFont>
#include <QLatin1String>
#include <QRect>
#include <QString>
#include <QWidget>

#include "framework/Colors.h"

class QDialog;
class QFrame;
class QLabel;
class LabelButton;

// The face of every window's own controls, at a point size.
QFont UiFont(int points, bool bold = false);

// Gives a new control its parent, its object name and its position.
template <typename T>
T* PlaceControl(T* control, const char* name, QWidget* parent, int x, int y)
{
    control->setParent(parent);
    control->setObjectName(QLatin1String(name));
    control->move(x, y);
    return control;
}

// Sizes a label to its text exactly as adjustSize() does, at a third of the
// cost for a frameless, unindented, unwrapped plain text (anything else is
// left to adjustSize()).
void FitToText(QLabel* label);

// Gives a one-line label the designed font, or the largest smaller size (down
// to 6 points) in which its text fits the label's width.
void FitFontToWidth(QLabel* label, const QFont& designed);

// A plain-text label in its parent's font, sized to its text.
QLabel* MakeLabel(const char* name, QWidget* parent, int x, int y, const QString& text);
// A plain-text label in a font of its own, sized to its text.
QLabel* MakeLabel(const char* name, QWidget* parent, int x, int y, const QString& text, const QFont& font);

// Widens a control to the width its text needs at its font (the substitute
// fonts run wider than the original ones), never narrower than it is; a
// word-wrapped label to its widest word, and as high as its lines then need.
void WidenToText(QWidget* control);

// A label button in the 10-point face with a hint, sized to its text.
LabelButton* MakeLabelButton(const char* name, QWidget* parent, int x, int y, const QString& text, const QString& hint);

// A plain area filled with one colour.
QWidget* MakeColorPanel(const char* name, QWidget* parent, const QRect& box, TColor color);

// A sunken frame that groups controls.
QFrame* MakeSunkenPanel(const char* name, QWidget* parent, const QRect& box);

// A window's name, caption, default font and background colour.
void SetUpWindowFrame(QWidget* window, const char* name, const QString& caption, TColor color);

// A dialog of a fixed client size with title and close box, framed as above.
void SetUpDialogFrame(QDialog* dialog, const char* name, const QString& caption, QSize clientSize, TColor color,
                      Qt::WindowFlags extraFlags = {});
