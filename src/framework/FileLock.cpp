#include "framework/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "framework/FileName.h"

namespace {

// A wait in the kernel's queue for the lock, which wakes the moment it is
// free (trying again now and then loses to a writer that takes it back at
// once). The system has no such wait with a time limit: it runs in a thread
// of its own, which lets go of the lock should it come too late.
struct Waiter {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    bool locked = false;
};

bool WaitInQueue(int fd, std::chrono::milliseconds wait)
{
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);  // the same lock, closed by the thread
    if (copy < 0)
        return false;
    auto waiter = std::make_shared<Waiter>();
    std::thread([waiter, copy] {
        int result;
        do {
            result = ::flock(copy, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        const std::lock_guard<std::mutex> hold(waiter->mutex);
        if (result == 0 && waiter->abandoned)
            ::flock(copy, LOCK_UN);
        waiter->locked = result == 0 && !waiter->abandoned;
        waiter->finished = true;
        ::close(copy);
        waiter->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> hold(waiter->mutex);
    if (!waiter->done.wait_for(hold, wait, [&] { return waiter->finished; }))
        waiter->abandoned = true;
    return waiter->locked;
}

}  // namespace

FileLock::FileLock(const QString& fileName)
{
    do {
        m_fd = ::open(FileName::Encode(fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        m_error = errno;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileLock::Result FileLock::lock(std::chrono::milliseconds wait)
{
    if (m_fd < 0)
        return Result::Failed;
    int result;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return Result::Locked;
    if (errno != EWOULDBLOCK)
        return Result::Locked;  // no locks here (ENOLCK): write as without them
    return WaitInQueue(m_fd, wait) ? Result::Locked : Result::Busy;
}
