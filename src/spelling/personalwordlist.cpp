#include "spelling/personalwordlist.h"

#include <QDebug>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <new>

#include "framework/VexloError.h"

// What a job found: the change of the list's words against those the GUI
// thread held when it began, or the error that stopped it.
struct TPersonalWords::Outcome {
    bool read = false;  // the list was read: the change and stamp hold
    QStringList added;
    QStringList removed;
    FileStamp stamp;
    QStringList tried;  // the words it was to write
    QString error;
};

namespace {

// The change from before to now; most often the list has only grown at its end.
void Compare(const QStringList& before, const QStringList& now, QStringList& added, QStringList& removed)
{
    if (now.size() >= before.size() && std::equal(before.cbegin(), before.cend(), now.cbegin())) {
        added = now.mid(before.size());
        return;
    }
    const QSet<QString> was(before.cbegin(), before.cend());
    const QSet<QString> is(now.cbegin(), now.cend());
    for (const QString& word : now)
        if (!was.contains(word))
            added.append(word);
    for (const QString& word : before)
        if (!is.contains(word))
            removed.append(word);
}

QString OnlyThisSession(const QStringList& words)
{
    QStringList quoted;
    for (const QString& word : words)
        quoted.append(QStringLiteral("„%1“").arg(word));
    return words.size() == 1 ? QStringLiteral("Das Wort %1 gilt nur, bis das Programm endet").arg(quoted[0])
                             : QStringLiteral("Die Wörter %1 gelten nur, bis das Programm endet")
                                   .arg(quoted.join(QStringLiteral(", ")));
}

bool NoWord(const QString& word)
{
    return word.isEmpty() ||
           std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

}  // namespace

TPersonalWords::TPersonalWords(const QString& fileName, QObject* parent) : QObject(parent), m_fileName(fileName)
{
    setObjectName(QStringLiteral("personalWords"));
    m_settle.setSingleShot(true);
    m_settle.setInterval(100);
    connect(&m_settle, &QTimer::timeout, this, &TPersonalWords::fileEvent);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
}

TPersonalWords::~TPersonalWords()
{
    if (m_worker.joinable())
        m_worker.join();
    const auto log = [](const QString& error, const QStringList& words) {
        qWarning().noquote() << error + u'.' << OnlyThisSession(words) + u'.';
    };
    if (m_done && !m_done->error.isEmpty() && !m_done->tried.isEmpty())
        log(m_done->error, m_done->tried);
    if (!m_waiting.isEmpty()) {
        try {
            AddPersonalWords(m_fileName, m_waiting, m_lockWait);
        } catch (const VexloError& error) {
            log(error.message(), m_waiting);
        }
    }
}

void TPersonalWords::load()
{
    if (m_loaded || m_readWanted)
        return;
    m_readWanted = true;
    watch();
    startJob();
}

bool TPersonalWords::isBusy() const
{
    return m_worker.joinable() || m_readWanted || !m_waiting.isEmpty() || m_settle.isActive();
}

QStringList TPersonalWords::words() const
{
    return m_session.isEmpty() ? m_listWords : m_listWords + m_session;
}

void TPersonalWords::add(const QString& word)
{
    const QString trimmed = word.trimmed();
    if (NoWord(trimmed))
        throw VexloError(QStringLiteral("„%1“ kann nicht ins Wörterbuch aufgenommen werden").arg(word));
    if (m_session.contains(trimmed) || m_listWords.contains(trimmed))
        return;
    m_session.append(trimmed);
    m_waiting.append(trimmed);
    emit wordsChanged({trimmed}, {});
    startJob();
}

void TPersonalWords::startJob()
{
    if (m_worker.joinable())
        return;
    QStringList writing;
    if (!m_waiting.isEmpty()) {
        writing.swap(m_waiting);
    } else if (m_readWanted) {
        m_readWanted = false;
        // Our own writes, and events that changed nothing, are no news.
        if (m_loaded && StampOf(m_fileName) == m_stamp)
            return;
    } else {
        return;
    }
    m_worker = std::thread([this, writing, before = m_listWords, fileName = m_fileName, wait = m_lockWait] {
        auto outcome = std::make_shared<Outcome>();
        outcome->tried = writing;
        try {
            const QStringList now = writing.isEmpty() ? ReadPersonalWords(fileName, &outcome->stamp)
                                                      : AddPersonalWords(fileName, writing, wait, &outcome->stamp);
            Compare(before, now, outcome->added, outcome->removed);
            outcome->read = true;
        } catch (const VexloError& error) {
            outcome->error = error.message();
        } catch (const std::bad_alloc&) {
            outcome->error =
                QStringLiteral("Datei %1 kann nicht geöffnet werden: Zu wenig Arbeitsspeicher").arg(fileName);
        }
        {
            const std::lock_guard<std::mutex> hold(m_doneMutex);
            m_done = std::move(outcome);
        }
        QMetaObject::invokeMethod(this, &TPersonalWords::jobDone, Qt::QueuedConnection);
    });
}

void TPersonalWords::jobDone()
{
    m_worker.join();
    std::shared_ptr<Outcome> outcome;
    {
        const std::lock_guard<std::mutex> hold(m_doneMutex);
        outcome.swap(m_done);
    }
    m_loaded = true;
    apply(*outcome);
    watch();
    startJob();
    if (outcome->error.isEmpty())
        return;
    emit failed(outcome->tried.isEmpty() ? outcome->error
                                         : outcome->error + QStringLiteral(".\n") + OnlyThisSession(outcome->tried));
}

void TPersonalWords::apply(Outcome& outcome)
{
    if (!outcome.read)
        return;
    m_stamp = outcome.stamp;
    QStringList added;
    QStringList removed;
    for (const QString& word : std::as_const(outcome.added)) {
        // A word of this session now in the list was accepted already.
        if (!m_session.removeOne(word))
            added.append(word);
    }
    if (m_listWords.isEmpty())
        m_listWords = outcome.added;  // shared, not copied word by word: a large list's first read
    else
        m_listWords += outcome.added;
    if (!outcome.removed.isEmpty()) {
        const QSet<QString> gone(outcome.removed.cbegin(), outcome.removed.cend());
        m_listWords.removeIf([&gone](const QString& word) { return gone.contains(word); });
        for (const QString& word : std::as_const(outcome.removed))
            if (!m_session.contains(word))
                removed.append(word);
    }
    if (!added.isEmpty() || !removed.isEmpty())
        emit wordsChanged(added, removed);
}

// The list, and its folder for a list made or replaced; while the folder is
// missing, the folder above it. A replaced file drops out of the watch, so
// this runs again after every change.
void TPersonalWords::watch()
{
    const QFileInfo list(m_fileName);
    const QString folder = list.absolutePath();
    const QString watched = QFileInfo(folder).isDir() ? folder : QFileInfo(folder).absolutePath();
    QStringList paths;
    if (list.exists() && !m_watcher.files().contains(m_fileName))
        paths.append(m_fileName);
    if (!m_watcher.directories().contains(watched) && QFileInfo(watched).isDir())
        paths.append(watched);
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}

void TPersonalWords::fileEvent()
{
    m_readWanted = true;
    startJob();
}
