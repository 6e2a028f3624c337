#include "storage/recoverywriter.h"

#include <QFile>
#include <algorithm>
#include <exception>
#include <utility>

#include "framework/VexloError.h"
#include "storage/textfile.h"

TRecoveryWriter::TRecoveryWriter(QObject* parent) : QObject(parent) {}

TRecoveryWriter::~TRecoveryWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void TRecoveryWriter::write(const QString& fileName, SnapshotText text)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pending)
            m_replaced = std::exchange(m_pending, Job{fileName, std::move(text)});
        else
            m_pending = Job{fileName, std::move(text)};
        // Started with the first job, not with the program: the window shows sooner.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void TRecoveryWriter::cancel()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_pending)
        m_replaced = std::exchange(m_pending, std::nullopt);
    m_wake.notify_one();
    m_done.wait(lock, [this] { return !m_busy && !m_replaced; });
}

void TRecoveryWriter::wait()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return !m_busy && !m_pending; });
}

bool TRecoveryWriter::isBusy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_busy || m_pending;
}

void TRecoveryWriter::WriteNow(const QString& fileName, SnapshotText text)
{
    if (!text.isEmpty()) {
        // Joined a part at a time, a long block cut into parts: the copy
        // never holds the text twice.
        constexpr qsizetype PartLength = 1 << 16;
        size_t next = 0;
        qsizetype offset = 0;  // in block `next`, what went into earlier parts
        bool begun = false;    // block `next`'s line break went into a part
        WriteTextFileInParts(fileName, [&]() -> std::optional<QString> {
            if (next >= text.blocks.size())
                return std::nullopt;
            QString part;
            part.reserve(PartLength + 1);
            while (next < text.blocks.size() && part.size() < PartLength) {
                if (!begun && next > 0 && text.marks[next] != SnapshotText::Continuation)
                    part.append(u'\n');
                begun = true;
                const QStringView block = text.view(text.blocks[next]).mid(offset);
                const qsizetype length = std::min(block.size(), PartLength - part.size());
                part.append(block.first(length));
                offset += length;
                if (length == block.size()) {
                    ++next;
                    offset = 0;
                    begun = false;
                }
            }
            return part;
        });
    } else if (!QFile::remove(fileName) && QFile::exists(fileName)) {
        throw VexloError(QStringLiteral("Datei %1 kann nicht gelöscht werden").arg(fileName));
    }
}

void TRecoveryWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        // A job given before the end is still written: it is the latest text.
        m_wake.wait(lock, [this] { return m_stop || m_pending || m_replaced; });
        std::optional<Job> replaced = std::exchange(m_replaced, std::nullopt);
        std::optional<Job> job = std::exchange(m_pending, std::nullopt);
        if (!job && !replaced)
            return;
        m_busy = true;
        lock.unlock();
        replaced.reset();
        if (job) {
            QString error;
            try {
                WriteNow(job->fileName, std::move(job->text));
            } catch (const VexloError& failure) {
                error = failure.message();
            } catch (const std::exception& failure) {
                // Out of memory, most likely: the next copy may fare better.
                error = QString::fromLocal8Bit(failure.what());
            }
            job.reset();  // the text goes before the window hears of it
            emit written(error);
        }
        lock.lock();
        m_busy = false;
        m_done.notify_all();
    }
}
