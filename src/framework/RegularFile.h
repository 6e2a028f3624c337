#pragma once

#include <QByteArray>
#include <QString>

// Reading a whole file that must be an ordinary file: a pipe, a device or a
// directory is refused at once instead of blocking or reading without end.
namespace RegularFile {

enum class ReadResult { Ok, CannotOpen, TooLarge };

// Reads the file into bytes, allocating by its size. TooLarge, without
// reading, when it holds more than maxBytes (also when it grows past that
// while it is read).
ReadResult Read(const QString& fileName, qint64 maxBytes, QByteArray& bytes);

}  // namespace RegularFile
