#pragma once

#include <QString>
#include <QStringList>
#include <chrono>

// The file of the user's own words for the spell check (see wordlistformat.h),
// read and written. Both calls block, the add up to its wait for the lock:
// they run outside the GUI thread.

// $XDG_DATA_HOME/vexloed/woerterbuch.txt, by default ~/.local/share/vexloed/woerterbuch.txt.
QString PersonalWordListPath();

// The lock file beside the list that writers of the list take (see FileLock).
QString PersonalWordListLockPath(const QString& fileName);

// What tells one state of a file from another: a change made in place or an
// atomic replacement gives a different stamp.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0;  // nanoseconds
    qint64 changed = 0;
    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOf(const QString& fileName);

// The largest list read, far above any a person keeps.
constexpr qint64 MaxWordListBytes = 64 * 1024 * 1024;

// The words of the list (WordListWords); none when there is no list. The
// stamp is the file's as read. A list that cannot be read throws
// "Datei %s kann nicht geöffnet werden: <cause>".
QStringList ReadPersonalWords(const QString& fileName, FileStamp* stamp = nullptr);

// Appends the words the list does not hold yet, making its folder when
// missing. Under the lock taken on the lock file beside it (waiting at most
// wait), the list is read again, merged and replaced in one step, so words
// another running copy added meanwhile stay. Returns the list's words
// afterwards. Throws, the list left as it was: "Die Wörterliste %s wird
// gerade von einem anderen Programm geändert" when the lock stays taken,
// the read errors above, and "In %s kann nicht geschrieben werden: <cause>".
QStringList AddPersonalWords(const QString& fileName, const QStringList& words, std::chrono::milliseconds wait,
                             FileStamp* stamp = nullptr);
