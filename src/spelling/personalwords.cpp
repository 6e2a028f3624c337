#include "spelling/personalwords.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cerrno>

#include "framework/AtomicFile.h"
#include "framework/FileLock.h"
#include "framework/FileName.h"
#include "framework/RegularFile.h"
#include "framework/VexloError.h"
#include "spelling/wordlistformat.h"
#include "storage/fileerror.h"
#include "storage/settingsdir.h"

namespace {

[[noreturn]] void ThrowCannotRead(const QString& fileName, const QString& reason)
{
    throw VexloError(
        QStringLiteral("Datei %1 kann nicht geöffnet werden: %2").arg(FileName::Display(fileName), reason));
}

[[noreturn]] void ThrowCannotWrite(const QString& fileName, const QString& reason)
{
    throw VexloError(
        QStringLiteral("In %1 kann nicht geschrieben werden: %2").arg(FileName::Display(fileName), reason));
}

// The list's bytes; empty when there is no list.
QByteArray ReadListBytes(const QString& fileName, FileStamp* stamp)
{
    // Taken before reading: a change made while it is read gives another stamp.
    const FileStamp before = StampOf(fileName);
    if (stamp)
        *stamp = before;
    if (!before.exists)
        return {};
    QByteArray bytes;
    switch (RegularFile::ReadAll(fileName, MaxWordListBytes, bytes)) {
        case RegularFile::ReadResult::Ok:
            return bytes;
        case RegularFile::ReadResult::TooLarge:
            ThrowCannotRead(fileName, QStringLiteral("Die Liste ist größer als %1 MB").arg(MaxWordListBytes >> 20));
        case RegularFile::ReadResult::CannotOpen:
            break;
    }
    const RegularFile file(fileName);
    ThrowCannotRead(fileName, FileErrorReason(file.isOpen() ? EIO : file.error()));
}

// Why the list's folder cannot be made: where a file stands in place of a
// folder, that file is named.
QString FolderReason(const QString& folder, int error)
{
    if (error == ENOTDIR) {
        for (QString path = folder; path.size() > 1; path = QFileInfo(path).path()) {
            const QFileInfo info(path);
            if (info.exists() && !info.isDir())
                return QStringLiteral("%1 ist eine Datei, kein Ordner").arg(FileName::Display(path));
        }
    }
    return QStringLiteral("Der Ordner %1 kann nicht angelegt werden: %2")
        .arg(FileName::Display(folder), FileErrorReason(error));
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified == other.modified && changed == other.changed;
}

FileStamp StampOf(const QString& fileName)
{
    struct stat info;
    if (::stat(FileName::Encode(fileName).constData(), &info) != 0)
        return {};
    constexpr qint64 Second = 1000 * 1000 * 1000;
    return {true,
            quint64(info.st_dev),
            quint64(info.st_ino),
            qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * Second + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * Second + info.st_ctim.tv_nsec};
}

QString PersonalWordListPath()
{
    return QDir::cleanPath(XdgUserFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) +
                           QStringLiteral("/vexloed/woerterbuch.txt"));
}

QString PersonalWordListLockPath(const QString& fileName)
{
    // Hidden beside the list, and never removed (see FileLock).
    const QFileInfo list(fileName);
    return list.absolutePath() + QStringLiteral("/.") + list.fileName() + QStringLiteral(".lock");
}

QStringList ReadPersonalWords(const QString& fileName, FileStamp* stamp)
{
    return WordListWords(ReadListBytes(fileName, stamp));
}

QStringList AddPersonalWords(const QString& fileName, const QStringList& words, std::chrono::milliseconds wait,
                             FileStamp* stamp)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (const int error = MakeDirectoryPath(folder))
        ThrowCannotWrite(fileName, FolderReason(folder, error));
    const QString lockName = PersonalWordListLockPath(fileName);
    FileLock lock(lockName);
    switch (lock.lock(wait)) {
        case FileLock::Result::Locked:
            break;
        case FileLock::Result::Busy:
            throw VexloError(QStringLiteral("Die Wörterliste %1 wird gerade von einem anderen Programm geändert")
                                 .arg(FileName::Display(fileName)));
        case FileLock::Result::Failed:
            ThrowCannotWrite(fileName, QStringLiteral("Die Sperrdatei %1 kann nicht angelegt werden: %2")
                                           .arg(FileName::Display(lockName), FileErrorReason(lock.error())));
    }
    const QByteArray bytes = ReadListBytes(fileName, stamp);
    QStringList known = WordListWords(bytes);
    const QSet<QString> held(known.cbegin(), known.cend());
    QStringList added;
    for (const QString& word : words) {
        if (!held.contains(word) && !added.contains(word))
            added.append(word);
    }
    if (added.isEmpty())
        return known;  // nothing to write: the list stays as it is, line ends and all
    AtomicFile file(fileName);
    if (!file.write(WordListWithAdded(bytes, added)) || !file.commit())
        ThrowCannotWrite(fileName, FileErrorReason(file.error()));
    if (stamp)
        *stamp = StampOf(fileName);
    return known + added;
}
