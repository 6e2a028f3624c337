#pragma once

#include <QByteArray>
#include <QString>

// A file opened for reading that must be an ordinary file: a pipe, a device
// or a directory is refused at once instead of blocking or reading without end.
class RegularFile {
public:
    explicit RegularFile(const QString& fileName);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // False when the file could not be opened or is no ordinary file.
    bool isOpen() const { return m_fd >= 0; }
    // Why it is not open: the system's error number, EISDIR for a folder and
    // ENODEV for any other file that is no ordinary file (a pipe, a device).
    int error() const { return m_error; }
    // The size when it was opened; it may grow while it is read.
    qint64 size() const { return m_size; }
    // Fills data with up to size bytes: the count, 0 at the end, -1 on failure.
    qint64 read(char* data, qint64 size);
    bool rewind();

    enum class ReadResult { Ok, CannotOpen, TooLarge };
    // The whole file, allocated by its size. TooLarge, without reading, when
    // it holds more than maxBytes (also when it grows past that meanwhile).
    static ReadResult ReadAll(const QString& fileName, qint64 maxBytes, QByteArray& bytes);

private:
    int m_fd = -1;
    int m_error = 0;
    qint64 m_size = 0;
};
