#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "storage/recoverysnapshot.h"

// Writes the recovery copy in a thread of its own, started with the first
// job, so that converting the text and writing and syncing the file never
// hold up the window. Jobs are done in the order given; one that has not begun
// yet gives way to a newer one, for only the latest text matters.
class TRecoveryWriter : public QObject {
    Q_OBJECT
public:
    explicit TRecoveryWriter(QObject* parent = nullptr);
    ~TRecoveryWriter() override;  // finishes what it was given

    // Writes the text to fileName atomically; an empty text removes the file.
    void write(const QString& fileName, SnapshotText text);
    // Drops the job that has not begun and waits for the one in hand.
    void cancel();
    // Waits until every job given is done.
    void wait();
    bool isBusy();

    // Writes or removes at once on the calling thread; throws VexloError.
    static void WriteNow(const QString& fileName, SnapshotText text);

signals:
    // After each job, on the receiver's thread: the error's text, empty when it succeeded.
    void written(const QString& error);

private:
    struct Job {
        QString fileName;
        SnapshotText text;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::optional<Job> m_pending;
    std::optional<Job> m_replaced;  // freed by the worker: a large text takes a while to free
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;  // started by the first write, on the owner's thread
};
