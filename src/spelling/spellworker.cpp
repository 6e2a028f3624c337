#include "spelling/spellworker.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "framework/SpellDictionary.h"
#include "framework/VexloError.h"
#include "spelling/spellwords.h"

namespace {

// The cache of verdicts starts afresh beyond this many words (about 100 bytes each).
constexpr qsizetype MaxVerdicts = 50000;
// Verdicts go back together for at most this long, so that a large batch
// shows as it goes and costs the receiving thread one event a batch.
constexpr int BatchMilliseconds = 4;

// What only the worker's thread touches.
struct Own {
    std::unique_ptr<SpellDictionary> dictionary;
    QSet<QString> accepted;
    QHash<QString, bool> verdicts;

    // The verdicts take the accepted words in.
    bool correct(const QString& key)
    {
        const auto known = verdicts.constFind(key);
        if (known != verdicts.constEnd())
            return *known;
        if (verdicts.size() >= MaxVerdicts)
            verdicts.clear();
        const bool verdict = accepted.contains(key) || (key.endsWith(u'.') && accepted.contains(key.chopped(1))) ||
                             SpelledRight(key, [this](const QString& word) { return dictionary->check(word); });
        verdicts.insert(key, verdict);
        return verdict;
    }
    void accept(const QStringList& words)
    {
        for (const QString& word : words) {
            accepted.insert(word);
            // The dictionary also takes the word with a capital at a sentence's start.
            if (dictionary)
                dictionary->add(LookupKey(word));
        }
        verdicts.clear();
    }
};

struct Suggestion {
    quint64 request = 0;
    QString word;
    int count = 0;
};

}  // namespace

struct TSpellWorker::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool running = false;  // a task is under way
    bool held = false;
    // Null once the owner is gone: nothing is delivered any more.
    QObject* context = nullptr;
    Receiver receiver;
    std::deque<std::function<void(Own&)>> control;  // in order, before anything else
    std::deque<Suggestion> suggestions;
    std::deque<TSpellJob> jobs;

    bool hasWork() const { return !control.empty() || !suggestions.empty() || !jobs.empty(); }
    // With the mutex held.
    void deliver(std::function<void(const Receiver&)> call)
    {
        if (context)
            QMetaObject::invokeMethod(
                context, [receiver = receiver, call = std::move(call)] { call(receiver); }, Qt::QueuedConnection);
    }
    void run();
};

TSpellRanges JudgeBlock(const TSpellJob& job, const TSpellLookup& correct)
{
    TSpellRanges misses;
    const QString& text = job.text;
    for (const TWordSpan& word : CheckableWords(text, job.openStart, job.openEnd)) {
        if (word.to <= job.blockFrom || word.from >= job.blockTo)
            continue;
        if (!correct(WordKey(text, word)))
            misses.push_back({int(std::max(word.from, job.blockFrom) - job.blockFrom),
                              int(std::min(word.to, job.blockTo) - job.blockFrom)});
    }
    return misses;
}

void TSpellWorker::Shared::run()
{
    Own own;
    std::unique_lock lock(mutex);
    for (;;) {
        running = false;
        wake.wait(lock, [this] { return stop || (!held && hasWork()); });
        if (stop)
            break;
        running = true;
        if (!control.empty()) {
            auto task = std::move(control.front());
            control.pop_front();
            lock.unlock();
            task(own);
            lock.lock();
            continue;
        }
        if (!suggestions.empty()) {
            const Suggestion asked = std::move(suggestions.front());
            suggestions.pop_front();
            lock.unlock();
            const QStringList found =
                own.dictionary ? UsefulSuggestions(own.dictionary->suggest(LookupKey(asked.word)), asked.count) : QStringList();
            lock.lock();
            deliver([request = asked.request, found](const Receiver& to) { to.suggested(request, found); });
            continue;
        }
        std::vector<TSpellVerdict> verdicts;
        const QDeadlineTimer batch(BatchMilliseconds);
        while (!jobs.empty() && control.empty() && suggestions.empty() && !stop && !held && !batch.hasExpired()) {
            const TSpellJob job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            if (own.dictionary)
                verdicts.push_back(
                    {job.ticket, JudgeBlock(job, [&own](const QString& key) { return own.correct(key); })});
            lock.lock();
        }
        if (!verdicts.empty())
            deliver([verdicts = std::move(verdicts)](const Receiver& to) { to.judged(verdicts); });
    }
    lock.unlock();
    // The dictionary is released here, by its own thread.
}

TSpellWorker::TSpellWorker(QObject* context, Receiver receiver) : m_shared(std::make_shared<Shared>())
{
    m_shared->context = context;
    m_shared->receiver = std::move(receiver);
    std::thread([shared = m_shared] { shared->run(); }).detach();
}

TSpellWorker::~TSpellWorker()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->context = nullptr;
        m_shared->control.clear();
        m_shared->suggestions.clear();
        m_shared->jobs.clear();
    }
    m_shared->wake.notify_one();
    // Never waited for, not even to release the dictionary (some 50 ms):
    // the thread ends by itself once a load or a search under way returns,
    // holding what it shares with us, and releases the dictionary there.
}

void TSpellWorker::load(const QString& base, const QStringList& accepted)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.clear();
    m_shared->control.push_back([shared = m_shared.get(), base, accepted](Own& own) {
        own.dictionary.reset();
        own.verdicts.clear();
        QString error;
        try {
            own.dictionary = std::make_unique<SpellDictionary>(base);
        } catch (const VexloError& failure) {
            error = failure.message();
        } catch (const std::exception&) {
            error = QStringLiteral("Wörterbuch %1 kann nicht geladen werden").arg(base);
        }
        own.accepted.clear();
        own.accept(accepted);
        const std::lock_guard relock(shared->mutex);
        shared->deliver([error](const Receiver& to) { to.loaded(error); });
    });
    m_shared->wake.notify_one();
}

void TSpellWorker::unload()
{
    const std::lock_guard lock(m_shared->mutex);
    // A load not begun yet is not needed any more.
    m_shared->control.clear();
    m_shared->jobs.clear();
    m_shared->suggestions.clear();
    m_shared->control.push_back([](Own& own) { own = Own(); });
    m_shared->wake.notify_one();
}

void TSpellWorker::accept(const QStringList& words)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->control.push_back([words](Own& own) { own.accept(words); });
    m_shared->wake.notify_one();
}

void TSpellWorker::judge(std::vector<TSpellJob> jobs)
{
    if (jobs.empty())
        return;
    const std::lock_guard lock(m_shared->mutex);
    for (TSpellJob& job : jobs)
        m_shared->jobs.push_back(std::move(job));
    m_shared->wake.notify_one();
}

void TSpellWorker::dropJobs()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.clear();
}

void TSpellWorker::suggest(quint64 request, const QString& word, int count)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->suggestions.push_back({request, word, count});
    m_shared->wake.notify_one();
}

bool TSpellWorker::isBusy() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->running || m_shared->hasWork();
}

void TSpellWorker::holdForTesting(bool hold)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->held = hold;
    m_shared->wake.notify_one();
}
