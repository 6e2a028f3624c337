#pragma once

class QString;
class QWidget;

// What a screen reader sees of the controls the program paints itself: label
// buttons as push buttons with a press action, link labels as links, the
// info line as a status line with its text. Called once at start, before
// the windows are made.
void InstallAccessibility();

// The key that runs a control's command, as a German keyboard names it
// ("Strg+Umschalt+C"): a screen reader tells it with the press action.
void SetCommandKey(QWidget* control, const QString& keyName);

// A picture or label that only repeats what a neighbour already says: a
// screen reader skips it.
void MarkDecorative(QWidget* widget);
