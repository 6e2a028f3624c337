#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// A misspelled stretch of a block, in positions inside the block.
struct TSpellRange {
    int from = 0;
    int to = 0;
    bool operator==(const TSpellRange& other) const { return from == other.from && to == other.to; }
};
using TSpellRanges = std::vector<TSpellRange>;

// A block to judge: its text with what the neighbouring pieces of its line
// add to the words it begins and ends with (see TSpellChecker).
struct TSpellJob {
    quint64 ticket = 0;
    QString text;
    qsizetype blockFrom = 0;  // the block's own text within text
    qsizetype blockTo = 0;
    bool openStart = false;
    bool openEnd = false;
};

// The misspelled stretches of a judged block, in positions inside the block.
struct TSpellVerdict {
    quint64 ticket = 0;
    TSpellRanges misses;
};

// The misspelled stretches of a job's block.
using TSpellLookup = std::function<bool(const QString& key)>;
TSpellRanges JudgeBlock(const TSpellJob& job, const TSpellLookup& correct);

// The spell lookups of a text area, in a thread of their own: the dictionary
// is loaded, asked and released there alone (a hunspell object keeps scratch
// state and is never shared), together with the cache of verdicts per word.
// Asked from the owner's thread; the answers come back to it as queued calls
// of the receiver's functions, never after the worker is destroyed.
// Destroying it never waits: the thread is left to end by itself once a
// load or a lookup under way returns, and its answer is forgotten.
class TSpellWorker {
public:
    struct Receiver {
        std::function<void(const QString& error)> loaded;  // error empty when loaded
        std::function<void(std::vector<TSpellVerdict> verdicts)> judged;
        std::function<void(quint64 request, QStringList suggestions)> suggested;
    };
    // context: the object of the owner's thread the answers are delivered to.
    TSpellWorker(QObject* context, Receiver receiver);
    ~TSpellWorker();
    TSpellWorker(const TSpellWorker&) = delete;
    TSpellWorker& operator=(const TSpellWorker&) = delete;

    // Reads the dictionary; accepted words are known besides it.
    void load(const QString& base, const QStringList& accepted);
    // Releases the dictionary and the verdicts; what waits is dropped.
    void unload();
    // Known from now on; verdicts already given are forgotten.
    void accept(const QStringList& words);
    void judge(std::vector<TSpellJob> jobs);
    // Drops the jobs not yet taken up.
    void dropJobs();
    // Ahead of the jobs waiting.
    void suggest(quint64 request, const QString& word, int count);
    // Whether jobs wait or are under way.
    bool isBusy() const;
    // Nothing is taken up while held: tests order answers and edits so.
    void holdForTesting(bool hold);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
