#include "framework/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "framework/FileName.h"

RegularFile::RegularFile(const QString& fileName)
{
    // Non-blocking, so that opening a pipe with no writer returns at once.
    const int fd = ::open(FileName::Encode(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0)
        m_error = errno;
    else if (!S_ISREG(info.st_mode))
        m_error = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
    if (m_error != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 RegularFile::read(char* data, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(m_fd, data + got, static_cast<size_t>(size - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

bool RegularFile::rewind()
{
    return ::lseek(m_fd, 0, SEEK_SET) == 0;
}

RegularFile::ReadResult RegularFile::ReadAll(const QString& fileName, qint64 maxBytes, QByteArray& bytes)
{
    bytes.clear();
    RegularFile file(fileName);
    if (!file.isOpen())
        return ReadResult::CannotOpen;
    if (file.size() > maxBytes)
        return ReadResult::TooLarge;
    // One byte more than the size tells whether the file has grown meanwhile.
    QByteArray buffer(static_cast<qsizetype>(file.size() + 1), Qt::Uninitialized);
    qint64 size = 0;
    for (;;) {
        const qint64 got = file.read(buffer.data() + size, buffer.size() - size);
        if (got < 0)
            return ReadResult::CannotOpen;
        size += got;
        if (size > maxBytes)
            return ReadResult::TooLarge;
        if (size < buffer.size())
            break;
        // The file grew while it was read: go on, in steps, up to the limit.
        buffer.resize(static_cast<qsizetype>(std::min<qint64>(size + std::max<qint64>(size / 2, 4096), maxBytes + 1)));
    }
    buffer.truncate(static_cast<qsizetype>(size));
    bytes = std::move(buffer);
    return ReadResult::Ok;
}
