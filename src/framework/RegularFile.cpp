#include "framework/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads into [data, data + want); the number of bytes read, or -1.
qint64 ReadSome(int fd, char* data, qint64 want)
{
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, data + got, static_cast<size_t>(want - got));
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

}  // namespace

namespace RegularFile {

ReadResult Read(const QString& fileName, qint64 maxBytes, QByteArray& bytes)
{
    bytes.clear();
    const QByteArray path = QFile::encodeName(fileName);
    // Non-blocking, so that opening a pipe with no writer returns at once.
    Descriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadResult::CannotOpen;
    if (info.st_size > maxBytes)
        return ReadResult::TooLarge;

    // One byte more than the size tells whether the file has grown meanwhile.
    QByteArray buffer(static_cast<qsizetype>(std::min<qint64>(info.st_size + 1, maxBytes + 1)), Qt::Uninitialized);
    qint64 size = 0;
    for (;;) {
        const qint64 got = ReadSome(file.get(), buffer.data() + size, buffer.size() - size);
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

}  // namespace RegularFile
