#pragma once

#include <QCursor>

// The screen cursor table: controls name their pointer by a number, and the
// program enters its own cursors under numbers of its choosing at start.
using TCursor = int;

constexpr TCursor crDefault = 0;

void SetScreenCursor(TCursor number, const QCursor& cursor);
// The cursor entered under number; the arrow for a number never entered.
QCursor ScreenCursor(TCursor number);
