#pragma once

#include <QString>
#include <chrono>

// An advisory lock (flock) on a lock file that stands for another file:
// writers that all take it before they change that file never change it at
// once, in one process or several. Held until the object goes.
class FileLock {
public:
    // Opens the lock file, making it when missing; it stays for the next
    // writer (removing it would let two writers lock two different files).
    explicit FileLock(const QString& fileName);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum class Result { Locked, Busy, Failed };
    // Takes the lock, waiting at most wait: Busy when another
    // writer held it all that time, Failed when the lock file cannot be
    // opened (error() tells why). On a file system that keeps no locks
    // there is none to wait for: Locked.
    Result lock(std::chrono::milliseconds wait);
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};
