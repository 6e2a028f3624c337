#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File names go to and from the file system as bytes. A name need not be
// UTF-8 (a Latin-1 name from an old archive); each byte of it that is no
// UTF-8 is held as one lone surrogate U+DC80 to U+DCFF, so that every name
// the system has comes back to it unchanged.
namespace FileName {

QByteArray Encode(const QString& name);
QString Decode(const QByteArray& bytes);

// The name as a message shows it: a byte that is no UTF-8 as U+FFFD.
QString Display(const QString& name);

// The program's arguments, decoded as file names.
QStringList Arguments(int argc, char** argv);

// name made absolute against the working folder, which may itself be no UTF-8.
QString Absolute(const QString& name);

// Qt's file dialogs show a byte that is no UTF-8 as U+FFFD, and hand back
// such a name: it becomes the existing file it stands for, where that is
// clear. Any other name comes back as it is.
QString FromShownName(const QString& name);

}  // namespace FileName
