#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Moves window so that its outer frame is centred over the frame of over;
// without over (or while it is hidden), over the desktop's work area. Until
// the window system has framed the window, the frame of another framed window
// of the program stands in for its own; once the real frame is known after
// the showing, the window is centred again if it differs.
void CentreOver(QWidget* window, const QWidget* over);

// Centres a dialog over the outermost window it belongs to, the main window
// (the link edit dialog belongs to the link list, and that to the main
// window); over the desktop when it belongs to none.
void CentreOverMainWindow(QWidget* dialog);

// Where a window's client area goes so that its frame, of the given margins,
// is centred over area.
QRect CentredClientRect(QSize clientSize, const QMargins& frame, const QRect& area);
