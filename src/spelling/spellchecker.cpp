#include "spelling/spellchecker.h"

#include <QFileInfo>
#include <QTextBlock>
#include <algorithm>

#include "framework/Application.h"
#include "framework/Guarded.h"
#include "framework/SpellDictionary.h"
#include "framework/VexloError.h"
#include "spelling/personalwordlist.h"
#include "spelling/spellwords.h"
#include "text/memo.h"
#include "text/rangepainter.h"

namespace {

// How far the text around a piece of a long line is read for the words cut
// by its breaks: more than the longest word judged.
constexpr qsizetype PieceReach = 2 * MaxWordLength;
// A change up to this size is checked at once; larger ones in slices.
constexpr int AtOnceBlocks = 3;
constexpr int AtOnceCharacters = 1024;
// A check at once that takes longer is left to the slices.
constexpr int AtOnceMilliseconds = 8;
// How much of a block's text is split into words at a time.
constexpr qsizetype ChunkLength = 2048;
// The cache of verdicts starts afresh beyond this many words (about 100 bytes each).
constexpr qsizetype MaxVerdicts = 50000;

}  // namespace

QString FindGermanDictionary(const QString& localeName, const QStringList& directories)
{
    QStringList names;
    const QString language = localeName.left(5);
    if (language == QLatin1String("de_AT") || language == QLatin1String("de_CH"))
        names.append(language);
    names.append(QStringLiteral("de_DE"));
    for (const QString& name : names)
        for (const QString& directory : directories)
            if (const QString base = directory + u'/' + name; SpellDictionary::Exists(base))
                return base;
    return QString();
}

// --- results per block

TBlockResults::~TBlockResults()
{
    for (const Entry entry : m_entries)
        release(entry);
}

void TBlockResults::release(Entry entry)
{
    if (isList(entry))
        delete reinterpret_cast<TSpellRanges*>(entry);
}

TMissList TBlockResults::misses(int block) const
{
    const Entry entry = m_entries[size_t(block)];
    if (entry & 1) {
        const int from = int(entry >> 32);
        return TMissList(TSpellRange{from, from + int((entry & 0xFFFFFFFF) >> 1)});
    }
    return isList(entry) ? TMissList(*reinterpret_cast<const TSpellRanges*>(entry)) : TMissList();
}

void TBlockResults::set(int block, const TSpellRanges& misses)
{
    Entry& entry = m_entries[size_t(block)];
    if (entry == Unchecked)
        --m_unchecked;
    release(entry);
    if (misses.empty())
        entry = Clean;
    else if (misses.size() == 1)
        entry = Entry(misses[0].from) << 32 | Entry(misses[0].to - misses[0].from) << 1 | 1;
    else
        entry = reinterpret_cast<Entry>(new TSpellRanges(misses));
}

void TBlockResults::drop(int block)
{
    Entry& entry = m_entries[size_t(block)];
    if (entry != Unchecked)
        ++m_unchecked;
    release(entry);
    entry = Unchecked;
}

void TBlockResults::replace(int first, int last, int blockCount)
{
    const int oldLast = last - (blockCount - size());
    if (first < 0 || first > size() || oldLast < first - 1 || oldLast >= size()) {
        dropAll(blockCount);  // never expected: start afresh rather than mix up blocks
        return;
    }
    for (int block = first; block <= oldLast; ++block)
        drop(block);
    m_unchecked -= oldLast + 1 - first;
    const auto at = m_entries.begin() + first;
    const int count = last + 1 - first;
    if (count > oldLast + 1 - first)
        m_entries.insert(at, size_t(count - (oldLast + 1 - first)), Unchecked);
    else
        m_entries.erase(at, at + (oldLast + 1 - first - count));
    m_unchecked += count;
}

void TBlockResults::dropAll(int blockCount)
{
    for (const Entry entry : m_entries)
        release(entry);
    m_entries.assign(size_t(blockCount), Unchecked);
    m_unchecked = blockCount;
}

bool TBlockResults::dropMisses()
{
    bool any = false;
    for (int block = 0; block < size(); ++block) {
        if (m_entries[size_t(block)] != Unchecked && m_entries[size_t(block)] != Clean) {
            drop(block);
            any = true;
        }
    }
    return any;
}

int TBlockResults::nextUnchecked(int block) const
{
    if (m_unchecked == 0)
        return -1;
    const auto from = m_entries.begin() + std::clamp(block, 0, size());
    auto found = std::find(from, m_entries.end(), Unchecked);
    if (found == m_entries.end())
        found = std::find(m_entries.begin(), from, Unchecked);
    return int(found - m_entries.begin());
}

// --- the checker

// A block's text with what the neighbouring pieces of its line add to the
// words it begins and ends with.
struct TSpellChecker::Context {
    QString text;
    qsizetype blockFrom = 0;  // the block's own text within text
    qsizetype blockTo = 0;
    bool openStart = false;
    bool openEnd = false;
    // Where the text's pieces begin: index in text, document position.
    std::vector<std::pair<qsizetype, int>> pieces;

    int documentPosition(qsizetype index) const
    {
        auto piece = std::upper_bound(pieces.begin(), pieces.end(), index,
                                      [](qsizetype i, const std::pair<qsizetype, int>& p) { return i < p.first; });
        --piece;
        return piece->second + int(index - piece->first);
    }
};

TSpellChecker::TSpellChecker(TMemo* memo, const QString& dictionaryBase, const QString& personalListPath)
    : QObject(memo),
      m_memo(memo),
      m_dictionaryBase(dictionaryBase),
      m_personalWords(new TPersonalWords(personalListPath, this))
{
    setObjectName(QStringLiteral("spellChecker"));
    // Words added here, by another running copy or by hand, checked from then on.
    connect(m_personalWords, &TPersonalWords::wordsChanged, this, Guarded([this](const QStringList& added) {
                for (const QString& word : added)
                    accept(word);
                if (!added.isEmpty())
                    recheckEverything();
            }));
    connect(m_personalWords, &TPersonalWords::failed, this,
            Guarded([](const QString& message) { throw VexloError(message); }));
    if (!SpellDictionary::Exists(dictionaryBase))
        m_state = State::Missing;
    m_results.dropAll(memo->document()->blockCount());
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, [this] { TApplication::Guard([this] { runSlice(); }); });
    connect(memo->document(), &QTextDocument::contentsChange, this, &TSpellChecker::textChanged);
}

TSpellChecker::~TSpellChecker()
{
    if (m_loader.joinable())
        m_loader.join();
}

void TSpellChecker::startLoading()
{
    if (m_state != State::Loading || m_loader.joinable() || m_dictionary)
        return;
    m_loader = std::thread([this] {
        try {
            m_loaded = std::make_unique<SpellDictionary>(m_dictionaryBase);
        } catch (const VexloError& error) {
            m_loadError = error.message();
        } catch (const std::exception&) {
            m_loadError = QStringLiteral("Wörterbuch %1 kann nicht geladen werden").arg(m_dictionaryBase);
        }
        QMetaObject::invokeMethod(
            this, [this] { TApplication::Guard([this] { dictionaryLoaded(); }); }, Qt::QueuedConnection);
    });
}

void TSpellChecker::dictionaryLoaded()
{
    m_loader.join();
    if (!m_loaded) {
        m_state = State::Missing;
        emit stateChanged();
        throw VexloError(m_loadError);
    }
    m_dictionary = std::move(m_loaded);
    for (const QString& word : OwnWords() + m_ownWords)
        accept(word);
    m_state = State::Ready;
    emit stateChanged();
    for (const QString& word : m_personalWords->words())
        accept(word);
    schedule();
    // Read in a worker thread; its words come with wordsChanged.
    m_personalWords->load();
}

void TSpellChecker::setOwnWords(const QStringList& words)
{
    m_ownWords = words;
    if (m_dictionary) {
        for (const QString& word : words)
            accept(word);
        recheckEverything();
    }
}

void TSpellChecker::accept(const QString& word)
{
    m_accepted.insert(word);
    m_verdicts.clear();
    // The dictionary also takes the word with a capital at a sentence's start.
    if (m_dictionary)
        m_dictionary->add(LookupKey(word));
}

void TSpellChecker::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        m_slice.stop();
        m_results.dropAll(m_memo->document()->blockCount());
        m_partial = Partial();
        m_verdicts.clear();
    }
    schedule();
    emit resultsChanged();
}

bool TSpellChecker::isBusy() const
{
    return m_state == State::Loading || (active() && m_results.uncheckedCount() > 0);
}

void TSpellChecker::schedule()
{
    if (active() && m_results.uncheckedCount() > 0 && !m_slice.isActive())
        m_slice.start();
}

void TSpellChecker::textChanged(int position, int removed, int added)
{
    m_partial = Partial();
    const QTextDocument* doc = m_memo->document();
    const int end = doc->characterCount() - 1;
    QTextBlock first = doc->findBlock(std::clamp(position, 0, end));
    QTextBlock last = doc->findBlock(std::clamp(position + added, 0, end));
    if (first == last && active() && m_results.size() == doc->blockCount() &&
        recheckWithin(first, position - first.position(), removed, added))
        return;
    m_results.replace(first.blockNumber(), last.blockNumber(), doc->blockCount());
    // Words cut by a piece break belong to the neighbouring pieces too.
    for (qsizetype reach = 0; m_memo->isContinuation(first) && reach < PieceReach;) {
        first = first.previous();
        reach += first.length();
        m_results.drop(first.blockNumber());
    }
    for (qsizetype reach = 0; m_memo->isContinuation(last.next()) && reach < PieceReach;) {
        last = last.next();
        reach += last.length();
        m_results.drop(last.blockNumber());
    }
    if (!active())
        return;
    const bool small = last.blockNumber() - first.blockNumber() < AtOnceBlocks &&
                       last.position() + last.length() - first.position() <= AtOnceCharacters;
    if (small) {
        // The changed blocks repaint themselves; neighbouring pieces do not.
        const QDeadlineTimer deadline(AtOnceMilliseconds);
        bool neighbours = false;
        for (QTextBlock block = first;; block = block.next()) {
            if (!checkBlock(block, deadline))
                break;
            neighbours = neighbours || m_memo->isContinuation(block);
            if (block == last)
                break;
        }
        if (neighbours)
            emit resultsChanged();
    }
    schedule();
}

bool TSpellChecker::recheckWithin(const QTextBlock& block, int at, int removed, int added)
{
    const int number = block.blockNumber();
    if (!m_results.isChecked(number) || m_memo->isContinuation(block) || m_memo->isContinuation(block.next()))
        return false;
    const QString text = block.text();
    if (at < 0 || at + added > text.size())
        return false;
    // A word's verdict hangs on its stretch between blanks alone.
    const qsizetype from = StretchStart(text, at);
    const qsizetype to = StretchEnd(text, at + added);
    // The misses before the stretch stay, those after it move with the text.
    const int moved = added - removed;
    TSpellRanges misses, after;
    bool underlined = false;  // whether the stretch shows misses, before or now
    for (const TSpellRange& miss : m_results.misses(number)) {
        if (miss.to <= from)
            misses.push_back(miss);
        else if (miss.from >= to - moved)
            after.push_back({miss.from + moved, miss.to + moved});
        else
            underlined = true;
    }
    const QDeadlineTimer deadline(AtOnceMilliseconds);
    for (const TWordSpan& word : CheckableWordsBetween(text, from, to)) {
        if (deadline.hasExpired())
            return false;  // verdicts found stay; the block is checked whole
        if (!correct(WordKey(text, word))) {
            misses.push_back({int(word.from), int(word.to)});
            underlined = true;
        }
    }
    misses.insert(misses.end(), after.begin(), after.end());
    m_results.set(number, misses);
    // The edit repaints its own rows; a stretch may run on over others.
    if (underlined)
        emit stretchChanged(block.position() + int(from), block.position() + int(to));
    return true;
}

TSpellChecker::Context TSpellChecker::contextOf(const QTextBlock& block) const
{
    Context context;
    std::vector<std::pair<QString, int>> before;  // nearest first
    qsizetype reach = 0;
    for (QTextBlock piece = block; m_memo->isContinuation(piece);) {
        piece = piece.previous();
        const QString text = piece.text();
        qsizetype blank = text.size();
        while (blank > 0 && !text[blank - 1].isSpace())
            --blank;
        if (blank > 0) {
            before.emplace_back(text.mid(blank - 1), piece.position() + int(blank - 1));
            break;
        }
        before.emplace_back(text, piece.position());
        reach += text.size();
        if (reach > PieceReach) {
            context.openStart = true;
            break;
        }
    }
    for (auto piece = before.rbegin(); piece != before.rend(); ++piece) {
        context.pieces.emplace_back(context.text.size(), piece->second);
        context.text += piece->first;
    }
    context.blockFrom = context.text.size();
    context.pieces.emplace_back(context.text.size(), block.position());
    context.text += block.text();
    context.blockTo = context.text.size();
    reach = 0;
    for (QTextBlock piece = block.next(); m_memo->isContinuation(piece); piece = piece.next()) {
        const QString text = piece.text();
        context.pieces.emplace_back(context.text.size(), piece.position());
        qsizetype blank = 0;
        while (blank < text.size() && !text[blank].isSpace())
            ++blank;
        if (blank < text.size()) {
            context.text += QStringView(text).left(blank + 1);
            break;
        }
        context.text += text;
        reach += text.size();
        if (reach > PieceReach) {
            context.openEnd = true;
            break;
        }
    }
    return context;
}

// The verdicts take the accepted words in; they start afresh when one is added.
bool TSpellChecker::correct(const QString& key)
{
    const auto known = m_verdicts.constFind(key);
    if (known != m_verdicts.constEnd())
        return *known;
    if (m_verdicts.size() >= MaxVerdicts)
        m_verdicts.clear();
    const bool verdict = m_accepted.contains(key) || (key.endsWith(u'.') && m_accepted.contains(key.chopped(1))) ||
                         SpelledRight(key, [this](const QString& word) { return m_dictionary->check(word); });
    m_verdicts.insert(key, verdict);
    return verdict;
}

bool TSpellChecker::checkBlock(const QTextBlock& block, const QDeadlineTimer& deadline)
{
    const int number = block.blockNumber();
    if (number >= m_results.size())
        return true;
    const Context context = contextOf(block);
    const QString& text = context.text;
    // On from where the last slice stopped in this block, if it did.
    Partial done;
    if (m_partial.block == number)
        std::swap(done, m_partial);
    m_partial = Partial();
    bool judged = false;  // at least one word a call, so that every block ends
    // Read in chunks that end at a blank, so that a slice stopping early has
    // not read the whole of a long block.
    for (qsizetype chunk = done.chunk; chunk < text.size();) {
        const qsizetype end = StretchEnd(text, std::min(text.size(), chunk + ChunkLength));
        const QVector<TWordSpan> words = CheckableWordsBetween(text, chunk, end, chunk == 0 && context.openStart,
                                                               end == text.size() && context.openEnd);
        for (const TWordSpan& word : words) {
            if (word.from < done.word || word.to <= context.blockFrom || word.from >= context.blockTo)
                continue;
            if (judged && deadline.hasExpired()) {
                m_partial = {number, chunk, word.from, std::move(done.misses)};
                return false;
            }
            judged = true;
            if (!correct(WordKey(text, word)))
                done.misses.push_back({int(std::max(word.from, context.blockFrom) - context.blockFrom),
                                       int(std::min(word.to, context.blockTo) - context.blockFrom)});
        }
        chunk = end;
    }
    m_results.set(number, done.misses);
    return true;
}

void TSpellChecker::runSlice()
{
    if (!active())
        return;
    const QTextDocument* doc = m_memo->document();
    if (m_results.size() != doc->blockCount()) {
        m_results.dropAll(doc->blockCount());  // never expected: start afresh rather than mix up blocks
        m_partial = Partial();
    }
    const QDeadlineTimer deadline(SliceTime);
    // The lines in view first.
    bool visible = false;
    ForEachVisibleBlock(*m_memo, m_memo->viewport()->rect(), [&](const QTextBlock& block, const QPointF&) {
        if (deadline.hasExpired())
            return false;
        if (!m_results.isChecked(block.blockNumber())) {
            if (!checkBlock(block, deadline))
                return false;
            visible = true;
        }
        return true;
    });
    // Then the rest, on from where the last slice stopped.
    while (!deadline.hasExpired()) {
        int number = m_results.nextUnchecked(m_scan);
        if (number < 0)
            break;
        QTextBlock block = doc->findBlockByNumber(number);
        // A block without a word to judge never stops the slice itself: the
        // pieces of a line of megabytes without blanks would all go in one.
        while (block.isValid() && !m_results.isChecked(number) && checkBlock(block, deadline)) {
            block = block.next();
            ++number;
            if (deadline.hasExpired())
                break;
        }
        m_scan = number;
    }
    if (visible)
        emit resultsChanged();
    schedule();
}

void TSpellChecker::recheckEverything()
{
    m_verdicts.clear();
    m_partial = Partial();
    if (m_results.dropMisses()) {
        runSlice();  // the visible lines right away
        emit resultsChanged();
    }
}

TMissList TSpellChecker::misses(const QTextBlock& block) const
{
    if (!active() || !block.isValid() || block.blockNumber() >= m_results.size())
        return TMissList();
    return m_results.misses(block.blockNumber());
}

TMisspelling TSpellChecker::misspellingAt(int position)
{
    const QTextBlock block = m_memo->document()->findBlock(position);
    const TMissList ranges = misses(block);
    const int inBlock = position - block.position();
    if (std::none_of(ranges.begin(), ranges.end(),
                     [inBlock](const TSpellRange& range) { return range.from <= inBlock && inBlock <= range.to; }))
        return {};
    // The whole word, also where a piece break cuts it.
    const Context context = contextOf(block);
    const qsizetype at = context.blockFrom + inBlock;
    for (const TWordSpan& word : CheckableWords(context.text, context.openStart, context.openEnd)) {
        if (word.from <= at && at <= word.to && !correct(WordKey(context.text, word)))
            return {context.documentPosition(word.from), context.documentPosition(word.to),
                    context.text.mid(word.from, word.to - word.from)};
    }
    return {};
}

QStringList TSpellChecker::suggestions(const QString& word, int count)
{
    if (!m_dictionary)
        return {};
    return UsefulSuggestions(m_dictionary->suggest(LookupKey(word)), count);
}

void TSpellChecker::ignore(const QString& word)
{
    accept(word);
    recheckEverything();
}

void TSpellChecker::addToPersonalList(const QString& word)
{
    m_personalWords->add(word);
}

QStringList TSpellChecker::personalWords() const
{
    return m_personalWords->words();
}
