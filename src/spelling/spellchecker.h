#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

class QTextBlock;
class SpellDictionary;
class TMemo;
class TPersonalWords;

// A misspelled stretch of a block, in positions inside the block.
struct TSpellRange {
    int from = 0;
    int to = 0;
    bool operator==(const TSpellRange& other) const { return from == other.from && to == other.to; }
};
using TSpellRanges = std::vector<TSpellRange>;

// The misspelled stretches of one block, as the results hold them: one
// stretch within the list itself, more in the results' own store.
class TMissList {
public:
    TMissList() = default;
    explicit TMissList(TSpellRange single) : m_single(single), m_size(1) {}
    explicit TMissList(const TSpellRanges& many) : m_many(many.data()), m_size(int(many.size())) {}
    const TSpellRange* begin() const { return m_many ? m_many : &m_single; }
    const TSpellRange* end() const { return begin() + m_size; }
    int size() const { return m_size; }
    explicit operator bool() const { return m_size != 0; }

private:
    TSpellRange m_single;
    const TSpellRange* m_many = nullptr;
    int m_size = 0;
};

// A misspelled word of the text: where it lies in the document, and the word.
struct TMisspelling {
    int from = -1;
    int to = -1;
    QString word;
    bool isValid() const { return from >= 0; }
};

// The German dictionary for a locale such as "de_AT": the path, without
// ".aff" and ".dic", of the locale's own (de_AT, de_CH) or else de_DE, the
// first found in directories; empty when none is installed.
QString FindGermanDictionary(const QString& localeName, const QStringList& directories);

// The results of every block: unchecked, checked and clean, or checked with
// its misspelled stretches. Eight bytes a block, one stretch kept in them; a
// block's result is dropped when the block changes.
class TBlockResults {
public:
    TBlockResults() = default;
    ~TBlockResults();
    TBlockResults(const TBlockResults&) = delete;
    TBlockResults& operator=(const TBlockResults&) = delete;

    int size() const { return int(m_entries.size()); }
    qsizetype uncheckedCount() const { return m_unchecked; }
    bool isChecked(int block) const { return m_entries[size_t(block)] != Unchecked; }
    // Empty when unchecked or clean.
    TMissList misses(int block) const;
    void set(int block, const TSpellRanges& misses);
    void drop(int block);
    // Blocks first to last of the document now stand where first to
    // last - (blockCount - size()) stood, all unchecked.
    void replace(int first, int last, int blockCount);
    void dropAll(int blockCount);
    // Drops the blocks with misspellings; true when there were any.
    bool dropMisses();
    // The first unchecked block from block on, wrapping around; -1 when none.
    int nextUnchecked(int block) const;

private:
    // An entry: Unchecked, Clean, one stretch (odd: start << 32 | length << 1
    // | 1), or an owned TSpellRanges of several.
    using Entry = quint64;
    static constexpr Entry Unchecked = 0;
    static constexpr Entry Clean = 2;
    static bool isList(Entry entry) { return entry != Unchecked && entry != Clean && !(entry & 1); }
    static void release(Entry entry);

    std::vector<Entry> m_entries;
    qsizetype m_unchecked = 0;
};

// German spell checking of a text area, as it is typed. The dictionary loads
// in a worker thread, which hands it over when done: from then on only this
// object's thread uses it. An edit within a checked block judges again the
// words about it alone, however long the paragraph; any other change drops
// the results of the changed blocks, and a small one is checked again at
// once, through a cache of verdicts per word. Larger changes (opening,
// pasting) are checked in slices of half a millisecond, the visible lines
// first.
class TSpellChecker : public QObject {
    Q_OBJECT
public:
    enum class State { Loading, Ready, Missing };
    // A keystroke arriving during a slice waits for its end, and for a slice
    // of the recovery copy due at the same time: short enough that typing on
    // while a large text is checked stays within 2 ms a key.
    static constexpr std::chrono::microseconds SliceTime{500};

    // dictionaryBase: see FindGermanDictionary, empty when none; the
    // personal list is read once the dictionary is there.
    TSpellChecker(TMemo* memo, const QString& dictionaryBase, const QString& personalListPath);
    ~TSpellChecker() override;

    // Loads the dictionary in a worker thread; checking starts when it is there.
    void startLoading();
    State state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Whether blocks wait to be checked.
    bool isBusy() const;

    // The misspelled stretches of a checked block; empty when none or unchecked.
    TMissList misses(const QTextBlock& block) const;
    // The misspelled word at a document position (its end included).
    TMisspelling misspellingAt(int position);
    QStringList suggestions(const QString& word, int count);
    // Accepts the word until the program ends.
    void ignore(const QString& word);
    // Accepts the word for good: at once, and into the personal list (see
    // TPersonalWords for a refused write).
    void addToPersonalList(const QString& word);
    QStringList personalWords() const;
    TPersonalWords* personalList() const { return m_personalWords; }
    // Words of the program's own texts, known besides its name (see OwnWords).
    void setOwnWords(const QStringList& words);

signals:
    // Results of visible lines came in: the text area is to be repainted.
    void resultsChanged();
    // The misses within [from, to) of the document changed.
    void stretchChanged(int from, int to);
    void stateChanged();

private:
    struct Context;
    void dictionaryLoaded();
    void accept(const QString& word);
    void textChanged(int position, int removed, int added);
    // Judges again only the words about a change within a checked block of a
    // line held whole, the rest of its misses moved with the text; false
    // where the block is to be checked whole.
    bool recheckWithin(const QTextBlock& block, int at, int removed, int added);
    bool active() const { return m_enabled && m_state == State::Ready; }
    void schedule();
    void runSlice();
    Context contextOf(const QTextBlock& block) const;
    bool correct(const QString& key);
    // Checks the block, unless the deadline passes first: the verdicts found
    // stay, and the next call for the block goes on from there.
    bool checkBlock(const QTextBlock& block, const QDeadlineTimer& deadline);
    void recheckEverything();

    TMemo* m_memo;
    QString m_dictionaryBase;
    State m_state = State::Loading;
    bool m_enabled = true;
    std::unique_ptr<SpellDictionary> m_dictionary;
    // Written by the worker, taken once it has ended.
    std::unique_ptr<SpellDictionary> m_loaded;
    QString m_loadError;
    std::thread m_loader;
    TPersonalWords* m_personalWords;
    QStringList m_ownWords;
    QSet<QString> m_accepted;  // ignored and personal words
    QHash<QString, bool> m_verdicts;
    TBlockResults m_results;
    // Where the check of a block too long for one slice stopped: the chunk
    // of its context text to read on from, the first word not yet judged,
    // and the misses found before it.
    struct Partial {
        int block = -1;
        qsizetype chunk = 0;
        qsizetype word = 0;
        TSpellRanges misses;
    };
    Partial m_partial;
    int m_scan = 0;
    QTimer m_slice;
};
