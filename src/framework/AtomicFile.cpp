#include "framework/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/FileName.h"

namespace {

// The mode a newly created file gets from the process's umask. Read, not set
// and set back: umask() acts on the whole process, and a file another thread
// creates in between would be made without it.
mode_t NewFileMode()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                std::fclose(status);
                return 0666 & ~mode_t(std::strtoul(line + 6, nullptr, 8));
            }
        }
        std::fclose(status);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A rename is only durable once the directory holding it is on disk too.
// The new file is in place either way, so a failure here is no failed save.
void SyncDirectory(const QByteArray& fileName)
{
    const qsizetype slash = fileName.lastIndexOf('/');
    const QByteArray directory = slash > 0 ? fileName.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Gives the new file the old one's owner and group, as far as the process may:
// an ordinary user may only pass a file on to a group of their own, and a
// refusal leaves the file the saving user's, as any new file is.
void KeepOwner(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) == 0)
        return;
    [[maybe_unused]] const int groupOnly = ::fchown(fd, uid_t(-1), old.st_gid);
}

// The file a write of fileName replaces: through a symbolic link the file it
// points to, not the link.
QByteArray TargetOf(const QString& fileName)
{
    QByteArray target = FileName::Encode(fileName);
    if (char* canonical = ::realpath(target.constData(), nullptr)) {
        target = canonical;
        ::free(canonical);
    }
    return target;
}

// Whether no running writer holds the temporary file at path: its lock is
// free. Temporaries of builds that took no lock count as their writer's gone,
// by their age alone. Unsure (no locks on this file system), it is kept.
bool WriterGone(const QByteArray& path, const struct stat& listed)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info;
    const bool gone = ::fstat(fd, &info) == 0 && info.st_ino == listed.st_ino && info.st_dev == listed.st_dev &&
                      ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    // Closing drops the lock; a writer would have locked it at once when
    // making it, so no writer of this file is left to take it.
    ::close(fd);
    return gone;
}

}  // namespace

bool WriteAll(int fd, QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;  // no progress and no reason: do not spin
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

AtomicFile::AtomicFile(const QString& fileName, SystemCalls calls) : m_calls(calls)
{
    if (!m_calls.fsync)
        m_calls.fsync = ::fsync;
    if (!m_calls.rename)
        m_calls.rename = ::rename;
    m_target = TargetOf(fileName);

    mode_t mode = NewFileMode();
    struct stat info;
    bool replacing = false;
    if (::stat(m_target.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
            return;
        }
        // Replacing the file must not get round its write protection.
        if (::access(m_target.constData(), W_OK) != 0) {
            fail(errno);
            return;
        }
        mode = info.st_mode & 07777;
        replacing = true;
    } else if (errno != ENOENT) {
        fail(errno);
        return;
    }

    const qsizetype slash = m_target.lastIndexOf('/');
    m_temp = m_target.left(slash + 1) + '.' + m_target.mid(slash + 1) + ".XXXXXX";
    m_fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_temp.clear();
        fail(errno);
        return;
    }
    // Held until the file is in place: tells a starting instance's sweep
    // that its writer still runs (see RemoveStaleTemporaryFiles). Where the
    // file system keeps no locks, the sweep leaves the file alone.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    // Saved by another user (root through sudo), the file stays its owner's;
    // before the mode, for a change of owner clears the setgid bit.
    if (replacing)
        KeepOwner(m_fd, info);
    if (::fchmod(m_fd, mode) != 0)
        fail(errno);
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::fail(int error)
{
    if (m_error == 0)
        m_error = error != 0 ? error : EIO;
    discard();
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_fd < 0)
        return false;
    if (!WriteAll(m_fd, bytes)) {
        fail(errno);
        return false;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    // Late failures (delayed allocation, network file systems) show up here.
    if (m_calls.fsync(m_fd) != 0 && errno != EINVAL) {
        fail(errno);
        return false;
    }
    // The lock lives as long as a copy of the descriptor: kept over the
    // rename, while the close still reports late write errors.
    const int lockHolder = ::dup(m_fd);
    const auto release = [lockHolder] {
        if (lockHolder >= 0)
            ::close(lockHolder);
    };
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        release();
        fail(error);
        return false;
    }
    if (m_calls.rename(m_temp.constData(), m_target.constData()) != 0) {
        const int error = errno;
        release();
        fail(error);
        return false;
    }
    m_temp.clear();
    release();
    SyncDirectory(m_target);
    return true;
}

int RemoveStaleTemporaryFiles(const QString& fileName, const QDateTime& before)
{
    // Beside the file a write replaces, as AtomicFile names it: ".name.XXXXXX".
    const QByteArray target = TargetOf(fileName);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray directory = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const QByteArray prefix = '.' + target.mid(slash + 1) + '.';
    DIR* listing = ::opendir(directory.constData());
    if (!listing)
        return 0;
    const qint64 cutoff = before.toMSecsSinceEpoch();
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        // mkostemp's six letters and digits, nothing else.
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QByteArray tail = name.mid(prefix.size());
        if (!std::all_of(tail.begin(), tail.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        const QByteArray path = directory + '/' + name;
        struct stat info;
        if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        const qint64 changed = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        if (changed < cutoff && WriterGone(path, info) && ::unlink(path.constData()) == 0)
            ++removed;
    }
    ::closedir(listing);
    return removed;
}
