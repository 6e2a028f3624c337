#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "spelling/spellworker.h"

class QTextBlock;
class TMemo;
class TPersonalWords;

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

// The results of the checked blocks: clean, or with their misspelled
// stretches; any other block is unchecked and holds nothing, so that they
// grow with what was shown and not with the text. Sixteen bytes a checked
// block, one stretch kept in them; a block's result is dropped when the
// block changes, and those after it move with inserted or removed blocks.
class TBlockResults {
public:
    TBlockResults() = default;
    ~TBlockResults();
    TBlockResults(const TBlockResults&) = delete;
    TBlockResults& operator=(const TBlockResults&) = delete;

    // The document's blocks, checked or not.
    int size() const { return m_blockCount; }
    qsizetype checkedCount() const { return qsizetype(m_checked.size()); }
    bool isChecked(int block) const;
    // Empty when unchecked or clean.
    TMissList misses(int block) const;
    void set(int block, const TSpellRanges& misses);
    void drop(int block);
    // Blocks first to last of the document now stand where first to
    // last - (blockCount - size()) stood, all unchecked; false where that
    // cannot be and all was dropped.
    bool replace(int first, int last, int blockCount);
    void dropAll(int blockCount);
    // The checked blocks with misspellings, first to last.
    std::vector<int> missedBlocks() const;

private:
    // An entry: Clean, one stretch (odd: start << 32 | length << 1 | 1), or
    // an owned TSpellRanges of several.
    using Entry = quint64;
    static constexpr Entry Clean = 2;
    static bool isList(Entry entry) { return entry != Clean && !(entry & 1); }
    static void release(Entry entry);
    struct Checked {
        int block;
        Entry entry;
    };
    std::vector<Checked>::const_iterator find(int block) const;

    std::vector<Checked> m_checked;  // by block number
    int m_blockCount = 0;
};

// German spell checking of a text area, as it is typed and as it is seen.
// The lookups run in a worker (TSpellWorker) with a dictionary of its own:
// this object hands out the text of blocks with a ticket and takes back the
// verdicts whose ticket is still the block's latest, so that a verdict for
// a block changed meanwhile is dropped. Checked are the blocks on screen, a
// screen's worth of blocks above and below them, and the blocks an edit
// changes; others as they come into view. The dictionary is loaded only
// while checking is on.
class TSpellChecker : public QObject {
    Q_OBJECT
public:
    // Unloaded: not asked for yet, or checking off.
    enum class State { Unloaded, Loading, Ready, Missing };

    // dictionaryBase: see FindGermanDictionary, empty when none; the
    // personal list is read when the dictionary is loaded.
    TSpellChecker(TMemo* memo, const QString& dictionaryBase, const QString& personalListPath);
    ~TSpellChecker() override;

    // Loads the dictionary in the worker, now or once checking is turned on.
    void startLoading();
    State state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    // Off releases the dictionary; on loads it again.
    void setEnabled(bool enabled);
    // Whether the dictionary loads or seen blocks wait for their verdicts.
    bool isBusy() const;

    // The blocks holding a result: those seen since they last changed.
    qsizetype checkedBlocks() const { return m_results.checkedCount(); }
    // The misspelled stretches of a checked block; empty when none or unchecked.
    TMissList misses(const QTextBlock& block) const;
    // The misspelled word at a document position (its end included).
    TMisspelling misspellingAt(int position);
    // Asks the worker for up to count suggestions; suggestionsFound answers
    // with the request returned, unless the dictionary is released first.
    quint64 requestSuggestions(const QString& word, int count);
    // Accepts the word until the program ends.
    void ignore(const QString& word);
    // Accepts the word for good: at once, and into the personal list (see
    // TPersonalWords for a refused write).
    void addToPersonalList(const QString& word);
    QStringList personalWords() const;
    TPersonalWords* personalList() const { return m_personalWords; }
    // Words of the program's own texts, known besides its name (see OwnWords).
    void setOwnWords(const QStringList& words);
    // Words the dictionary is to know from now on.
    void acceptWords(const QStringList& words);
    // See TSpellWorker::holdForTesting; once the loading has started.
    void holdLookupsForTesting(bool hold) { m_worker->holdForTesting(hold); }

signals:
    // The results of many lines came in: the text area is to be repainted.
    void resultsChanged();
    // The misses within [from, to) of the document changed.
    void stretchChanged(int from, int to);
    void stateChanged();
    void suggestionsFound(quint64 request, const QStringList& suggestions);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Context;
    void loaded(const QString& error);
    void judged(const std::vector<TSpellVerdict>& verdicts);
    void textChanged(int position, int removed, int added);
    // Keeps the misses of a checked block, held whole, away from a change
    // within it until its verdict comes; false where the block is to be
    // dropped.
    bool keepAround(const QTextBlock& block, int at, int removed, int added);
    bool active() const { return m_enabled && m_state == State::Ready; }
    // The blocks seen and a screen's worth above and below, as numbers.
    std::pair<int, int> seenBlocks() const;
    void scheduleSeen();
    void requestSeen();
    void request(const QTextBlock& block);
    // Blocks first to oldLast became first to oldLast + shift.
    void movePending(int first, int oldLast, int shift);
    void forget(int block);
    Context contextOf(const QTextBlock& block) const;
    void recheckMisses();

    TMemo* m_memo;
    QObject* m_viewport = nullptr;  // the text area's, watched for resizes
    QString m_dictionaryBase;
    State m_state = State::Unloaded;
    bool m_enabled = true;
    bool m_wanted = false;  // startLoading was called
    TPersonalWords* m_personalWords;
    QStringList m_ownWords;
    // Ignored and personal words, handed to every dictionary loaded.
    QSet<QString> m_accepted;
    TBlockResults m_results;
    // The blocks handed out, with their latest ticket, and the way back.
    std::map<int, quint64> m_pending;
    std::unordered_map<quint64, int> m_ticketBlocks;
    quint64 m_nextTicket = 1;
    quint64 m_nextRequest = 1;
    QTimer m_seen;
    std::unique_ptr<TSpellWorker> m_worker;
};
