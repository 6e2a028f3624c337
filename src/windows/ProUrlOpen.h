#pragma once

#include <QString>
#include <functional>

#include "framework/CursorTable.h"

// Cursor numbers of the link cursors in the screen cursor table.
constexpr TCursor crProHandPoint = 15000;
constexpr TCursor crProSmallHandPoint = 15001;
constexpr TCursor crProGrabHand = 15002;
constexpr TCursor crProGrabHandArrow = 15003;
constexpr TCursor crProDragHand = 15004;

// Hands link to the desktop's opener ("xdg-open", looked up on PATH at each
// call) as its one argument, without a shell in between. An empty link opens
// nothing. A link that begins with "-" goes as "./-…", so the opener never
// takes it for an option. A missing opener throws; an opener that fails
// (a status other than 0) is reported in the error box once it has ended,
// without the window waiting for it.
void OpenLink(const QString& link);

// Tests: the opener program to start instead of "xdg-open" (a name is looked
// up on PATH, a path is used as is); empty restores "xdg-open".
void SetLinkOpenerProgram(const QString& program);
// Tests: receives every non-empty link, as the program would get it, instead
// of a started program; an empty function restores the program.
void SetLinkOpenerForTesting(std::function<void(const QString& link)> opener);

// Enters the link cursors into the screen cursor table, once: at start, or at
// the latest when the first link label is made. Needs the application object.
void RegisterLinkCursors();
