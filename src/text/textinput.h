#pragma once

#include <QString>

class QKeyEvent;
class QMimeData;

// Text as the text area takes it in, whatever its source.

// Line ends CR LF, lone CR and the Unicode line and paragraph separators
// become "\n", the one line break the text area holds.
QString NormalizeLineBreaks(const QString& text);

// Text as the text area takes it in from any source (keys, input methods,
// pastes, drops): line breaks normalized, NUL characters left out.
QString InsertableText(const QString& text);

// Whether data holds plain text (not merely a list of files or links).
bool HasPlainText(const QMimeData* data);

// The text a key puts in, as Qt's own text editing takes it: format
// characters, private use and surrogate pairs too, a Ctrl chord not.
QString TypedText(const QKeyEvent* event);
