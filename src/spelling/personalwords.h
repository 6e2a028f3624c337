#pragma once

#include <QString>
#include <QStringList>

// The user's own words for the spell check: one a line, UTF-8.

// $XDG_DATA_HOME/vexloed/woerterbuch.txt, by default ~/.local/share/vexloed/woerterbuch.txt.
QString PersonalWordListPath();

// The words of the list, blank lines and surrounding blanks left out; none
// when there is no list. A list that cannot be read throws
// "Datei %s kann nicht geöffnet werden".
QStringList ReadPersonalWords(const QString& fileName);

// Replaces the list in one step, making its folder when missing. A refused
// write throws "In %s kann nicht geschrieben werden" and leaves the old list.
void WritePersonalWords(const QString& fileName, const QStringList& words);
