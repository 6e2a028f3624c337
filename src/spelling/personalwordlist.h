#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "spelling/personalwords.h"

// The user's own words as the spell check takes them: those of the personal
// list (see personalwords.h) and those accepted this session whose write
// failed. The list is read and written in a worker thread, one job at a time,
// so a large list or a wait for another copy's lock never holds the window;
// errors come back to the GUI thread as failed(), for the caller to show. The list is
// watched: words another running copy (or the user) puts into it are taken
// up, so both copies accept the same words.
class TPersonalWords : public QObject {
    Q_OBJECT
public:
    explicit TPersonalWords(const QString& fileName, QObject* parent = nullptr);
    // Lets a write under way end (a word the user added is not dropped), and
    // writes the words still waiting; errors then go to the log.
    ~TPersonalWords() override;

    const QString& fileName() const { return m_fileName; }

    // Reads the list and watches it from then on; wordsChanged follows.
    void load();
    bool isLoaded() const { return m_loaded; }
    // Whether a read or write is under way or waiting.
    bool isBusy() const;

    // Every accepted word: the list's, then this session's.
    QStringList words() const;
    // Accepts word at once (wordsChanged) and writes it into the list. A
    // failed write is reported (failed), and the word is then accepted only
    // until the program ends. Throws for a word no line can hold.
    void add(const QString& word);

    // How long an add waits for another copy's lock on the list.
    static constexpr std::chrono::milliseconds LockWait{2000};
    void setLockWaitForTesting(std::chrono::milliseconds wait) { m_lockWait = wait; }

signals:
    // Words came into the list or this session, or went from the list.
    void wordsChanged(const QStringList& added, const QStringList& removed);
    // A read or write failed: the message names the list and the cause, and
    // for an add says that its words count only until the program ends.
    void failed(const QString& message);

private:
    struct Outcome;
    void startJob();
    void jobDone();
    void apply(Outcome& outcome);
    void watch();
    void fileEvent();

    QString m_fileName;
    std::chrono::milliseconds m_lockWait = LockWait;
    bool m_loaded = false;
    bool m_readWanted = false;
    QStringList m_listWords;  // as last read or written
    FileStamp m_stamp;        // of the list as last read or written
    QStringList m_session;    // accepted, not (yet) in the list
    QStringList m_waiting;    // to be written by the next job
    std::thread m_worker;
    std::mutex m_doneMutex;
    std::shared_ptr<Outcome> m_done;  // the worker's outcome, taken in the GUI thread
    QFileSystemWatcher m_watcher;
    QTimer m_settle;  // a burst of file events is one change
};
