#pragma once

#include <functional>
#include <optional>

#include <QString>

// The largest text the text area takes, in counted characters (a line break
// counts two). About 32 million: far above any guest-book or forum text, and
// small enough that the editor stays responsive.
constexpr qsizetype MemoCapacity = 32 * 1000 * 1000;

// The character count of a text whose line breaks are single "\n": UTF-16
// units, each line break counting two (CR LF).
qsizetype CountChars(const QString& text);

// Reads a text file (UTF-8, or Windows-1252 when not valid UTF-8; one leading
// byte-order mark is dropped). Line ends CR LF, lone CR and lone LF come back as "\n".
// Throws "Datei %s kann nicht geöffnet werden" for a file that cannot be read
// or is no ordinary file (a pipe, a device),
// "Datei %s ist keine Textdatei und kann nicht geöffnet werden" for one holding
// NUL bytes, and "Text überschreitet Memo-Kapazität" for one larger than
// MemoCapacity. U+2028 and U+2029 also become "\n". With utf8Only, bytes that are
// not UTF-8 throw "Datei %s ist kein gültiger UTF-8-Text" instead.
QString ReadTextFile(const QString& fileName, bool utf8Only = false);

// Writes text ("\n" line breaks) as UTF-8 with CR LF line breaks, replacing the
// file atomically. No byte-order mark, except before a text that itself begins
// with U+FEFF, so that it reads back unchanged. Throws "Datei %s kann nicht erstellt
// werden" when the file cannot be written; an existing file then stays intact.
void WriteTextFile(const QString& fileName, const QString& text);
// The same for a text handed over in parts, in order, until next gives none:
// the text is never held whole.
void WriteTextFileInParts(const QString& fileName, const std::function<std::optional<QString>()>& next);
