#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The personal word list as it lies on disk: one word a line, UTF-8. Lists
// come from people and other programs too, so a line may end in LF, CR LF or
// a lone CR, the list may begin with a byte-order mark, and a line may hold
// bytes that are no UTF-8 (older tools write Windows-1252).

// The words the list accepts, each once, in the list's order: every line that
// is UTF-8, blanks about it left out; a line that is not UTF-8 where it reads
// as a word in Windows-1252. Blank lines and lines holding control characters
// give none.
QStringList WordListWords(QByteArrayView bytes);

// The list's bytes with words appended, one a line. Every line before is
// kept byte for byte, whatever it holds, and so are the byte-order mark,
// blank lines and repeated words; each line then ends in LF.
QByteArray WordListWithAdded(QByteArrayView bytes, const QStringList& words);
