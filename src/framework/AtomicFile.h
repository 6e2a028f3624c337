#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// Replaces a file in one step. The bytes go to a new file beside the target;
// only when every write, the flush to disk and the close have succeeded is it
// renamed over the target. A refused write (full disk, file-size limit, write
// protection) leaves the target byte for byte and no temporary file behind.
class AtomicFile {
public:
    // The calls that put the file in place; null means the system's. Tests
    // pass failing ones, as a disk or file system may fail them.
    struct SystemCalls {
        int (*fsync)(int fd);
        int (*rename)(const char* from, const char* to);
    };

    explicit AtomicFile(const QString& fileName, SystemCalls calls = {});
    ~AtomicFile();  // discards what was written unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once anything has failed; later writes then do nothing.
    bool write(QByteArrayView bytes);
    // Puts the file in place; false (the target untouched) when that fails.
    bool commit();
    // The system's error code of the first failure, 0 while there was none.
    int error() const { return m_error; }

private:
    void fail(int error);
    void discard();

    QByteArray m_target;  // the file that is replaced, symbolic links followed
    QByteArray m_temp;    // the new file beside it while it is written
    int m_fd = -1;
    int m_error = 0;
    SystemCalls m_calls;
};

// Writes all of bytes to fd, going on after short and interrupted writes.
// False, with errno set, when the system refuses.
bool WriteAll(int fd, QByteArrayView bytes);

// Removes the temporary files that writers of fileName left beside it when
// they were killed: only names of the writer's own pattern, only those last
// changed before `before`, and only those whose writer is gone (a writer
// holds a lock on its file until the file is in place, however slow the
// disk). Returns how many went.
int RemoveStaleTemporaryFiles(const QString& fileName, const QDateTime& before);
