#include "framework/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    // Through a symbolic link the file it points to is replaced, not the link.
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    m_target = QFile::encodeName(canonical.isEmpty() ? fileName : canonical);

    mode_t mode = NewFileMode();
    struct stat info;
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
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(errno);
        return false;
    }
    if (m_calls.rename(m_temp.constData(), m_target.constData()) != 0) {
        fail(errno);
        return false;
    }
    m_temp.clear();
    SyncDirectory(m_target);
    return true;
}

int RemoveStaleTemporaryFiles(const QString& fileName, const QDateTime& before)
{
    // Beside the file a write replaces, as AtomicFile names it: ".name.XXXXXX".
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    const QByteArray target = QFile::encodeName(canonical.isEmpty() ? fileName : canonical);
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
        if (changed < cutoff && ::unlink(path.constData()) == 0)
            ++removed;
    }
    ::closedir(listing);
    return removed;
}
