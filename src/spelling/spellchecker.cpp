#include "spelling/spellchecker.h"

#include <QFileInfo>
#include <QScrollBar>
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
// The blocks of a change up to this many are checked, seen or not; larger
// changes where they are seen.
constexpr int AtOnceBlocks = 3;

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
    for (const Checked& checked : m_checked)
        release(checked.entry);
}

void TBlockResults::release(Entry entry)
{
    if (isList(entry))
        delete reinterpret_cast<TSpellRanges*>(entry);
}

std::vector<TBlockResults::Checked>::const_iterator TBlockResults::find(int block) const
{
    const auto found = std::lower_bound(m_checked.begin(), m_checked.end(), block,
                                        [](const Checked& checked, int number) { return checked.block < number; });
    return found != m_checked.end() && found->block == block ? found : m_checked.end();
}

bool TBlockResults::isChecked(int block) const
{
    return find(block) != m_checked.end();
}

TMissList TBlockResults::misses(int block) const
{
    const auto found = find(block);
    if (found == m_checked.end())
        return TMissList();
    const Entry entry = found->entry;
    if (entry & 1) {
        const int from = int(entry >> 32);
        return TMissList(TSpellRange{from, from + int((entry & 0xFFFFFFFF) >> 1)});
    }
    return isList(entry) ? TMissList(*reinterpret_cast<const TSpellRanges*>(entry)) : TMissList();
}

void TBlockResults::set(int block, const TSpellRanges& misses)
{
    Entry entry = Clean;
    if (misses.size() == 1)
        entry = Entry(misses[0].from) << 32 | Entry(misses[0].to - misses[0].from) << 1 | 1;
    else if (misses.size() > 1)
        entry = reinterpret_cast<Entry>(new TSpellRanges(misses));
    const auto at = std::lower_bound(m_checked.begin(), m_checked.end(), block,
                                     [](const Checked& checked, int number) { return checked.block < number; });
    if (at != m_checked.end() && at->block == block) {
        release(at->entry);
        at->entry = entry;
    } else {
        m_checked.insert(at, Checked{block, entry});
    }
}

void TBlockResults::drop(int block)
{
    const auto found = find(block);
    if (found == m_checked.end())
        return;
    release(found->entry);
    m_checked.erase(found);
}

bool TBlockResults::replace(int first, int last, int blockCount)
{
    const int shift = blockCount - m_blockCount;
    const int oldLast = last - shift;
    if (first < 0 || first > m_blockCount || oldLast < first - 1 || oldLast >= m_blockCount) {
        dropAll(blockCount);  // never expected: start afresh rather than mix up blocks
        return false;
    }
    const auto byBlock = [](const Checked& checked, int number) { return checked.block < number; };
    const auto from = std::lower_bound(m_checked.begin(), m_checked.end(), first, byBlock);
    const auto to = std::lower_bound(from, m_checked.end(), oldLast + 1, byBlock);
    for (auto dropped = from; dropped != to; ++dropped)
        release(dropped->entry);
    for (auto moved = m_checked.erase(from, to); moved != m_checked.end(); ++moved)
        moved->block += shift;
    m_blockCount = blockCount;
    return true;
}

void TBlockResults::dropAll(int blockCount)
{
    for (const Checked& checked : m_checked)
        release(checked.entry);
    m_checked.clear();
    m_checked.shrink_to_fit();
    m_blockCount = blockCount;
}

std::vector<int> TBlockResults::missedBlocks() const
{
    std::vector<int> blocks;
    for (const Checked& checked : m_checked)
        if (checked.entry != Clean)
            blocks.push_back(checked.block);
    return blocks;
}

// --- the checker

// A block's text with what the neighbouring pieces of its line add to the
// words it begins and ends with.
struct TSpellChecker::Context {
    TSpellJob job;
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
                if (!added.isEmpty())
                    acceptWords(added);
            }));
    connect(m_personalWords, &TPersonalWords::failed, this,
            Guarded([](const QString& message) { throw VexloError(message); }));
    if (!SpellDictionary::Exists(dictionaryBase))
        m_state = State::Missing;
    m_results.dropAll(memo->document()->blockCount());
    m_seen.setSingleShot(true);
    m_seen.setInterval(0);
    connect(&m_seen, &QTimer::timeout, this, [this] { TApplication::Guard([this] { requestSeen(); }); });
    connect(memo->document(), &QTextDocument::contentsChange, this, &TSpellChecker::textChanged);
    // Text comes into view as it scrolls, and as the area grows.
    // (The text area moves its scroll bar without a signal when it follows
    // the caret, and tells of the whole area to be painted.)
    connect(memo->verticalScrollBar(), &QScrollBar::valueChanged, this, &TSpellChecker::scheduleSeen);
    connect(memo, &QPlainTextEdit::updateRequest, this, [this](const QRect& area, int dy) {
        if (dy != 0 || area.contains(m_memo->viewport()->rect()))
            scheduleSeen();
    });
    m_viewport = memo->viewport();
    m_viewport->installEventFilter(this);
}

TSpellChecker::~TSpellChecker() = default;

bool TSpellChecker::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport kept from the start: while the text area is torn down,
    // its own members must not be called.
    if (watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        scheduleSeen();
    return QObject::eventFilter(watched, event);
}

void TSpellChecker::startLoading()
{
    m_wanted = true;
    if (!m_enabled || m_state != State::Unloaded)
        return;
    if (!m_worker) {
        m_worker = std::make_unique<TSpellWorker>(
            this, TSpellWorker::Receiver{[this](const QString& error) { TApplication::Guard([&] { loaded(error); }); },
                                         [this](const std::vector<TSpellVerdict>& verdicts) {
                                             TApplication::Guard([&] { judged(verdicts); });
                                         },
                                         [this](quint64 request, const QStringList& suggestions) {
                                             if (m_state == State::Ready)
                                                 emit suggestionsFound(request, suggestions);
                                         }});
    }
    m_state = State::Loading;
    emit stateChanged();
    m_worker->load(m_dictionaryBase, OwnWords() + m_ownWords + m_accepted.values());
}

void TSpellChecker::loaded(const QString& error)
{
    if (m_state != State::Loading)
        return;  // checking was turned off meanwhile
    if (!error.isEmpty()) {
        m_state = State::Missing;
        emit stateChanged();
        throw VexloError(error);
    }
    m_state = State::Ready;
    emit stateChanged();
    // The words known so far; those the list's first read brings come with
    // wordsChanged.
    acceptWords(m_personalWords->words());
    requestSeen();
    if (!m_personalWords->isLoaded() && !m_personalWords->isBusy())
        m_personalWords->load();
}

void TSpellChecker::setOwnWords(const QStringList& words)
{
    m_ownWords = words;
    if (m_worker)
        m_worker->accept(words);
    recheckMisses();
}

void TSpellChecker::acceptWords(const QStringList& words)
{
    for (const QString& word : words)
        m_accepted.insert(word);
    if (m_worker)
        m_worker->accept(words);
    recheckMisses();
}

void TSpellChecker::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        m_seen.stop();
        m_results.dropAll(m_memo->document()->blockCount());
        m_pending.clear();
        m_ticketBlocks.clear();
        if (m_state == State::Loading || m_state == State::Ready) {
            m_worker->unload();
            m_state = State::Unloaded;
            emit stateChanged();
        }
    } else if (m_wanted) {
        startLoading();
    }
    emit resultsChanged();
}

bool TSpellChecker::isBusy() const
{
    return m_state == State::Loading || (active() && (!m_pending.empty() || m_seen.isActive()));
}

void TSpellChecker::scheduleSeen()
{
    if (active() && !m_seen.isActive())
        m_seen.start();
}

std::pair<int, int> TSpellChecker::seenBlocks() const
{
    int first = -1, last = -1;
    const TVisibleArea view = m_memo->visibleArea();
    ForEachVisibleBlock(view, m_memo->viewport()->rect(), [&](const QTextBlock& block, const QPointF&) {
        if (first < 0)
            first = block.blockNumber();
        last = block.blockNumber();
        return true;
    });
    if (first < 0)
        first = last = m_memo->firstVisibleBlock().blockNumber();
    const int screen = last - first + 1;
    return {std::max(0, first - screen), std::min(m_results.size() - 1, last + screen)};
}

void TSpellChecker::requestSeen()
{
    if (!active())
        return;
    const QTextDocument* doc = m_memo->document();
    if (m_results.size() != doc->blockCount()) {
        m_results.dropAll(doc->blockCount());  // never expected: start afresh rather than mix up blocks
        m_pending.clear();
        m_ticketBlocks.clear();
    }
    const auto [first, last] = seenBlocks();
    if (first < 0)
        return;
    for (QTextBlock block = doc->findBlockByNumber(first); block.isValid() && block.blockNumber() <= last;
         block = block.next())
        if (!m_results.isChecked(block.blockNumber()) && !m_pending.count(block.blockNumber()))
            request(block);
}

void TSpellChecker::request(const QTextBlock& block)
{
    const int number = block.blockNumber();
    if (number >= m_results.size())
        return;
    forget(number);
    Context context = contextOf(block);
    context.job.ticket = m_nextTicket++;
    m_pending[number] = context.job.ticket;
    m_ticketBlocks[context.job.ticket] = number;
    std::vector<TSpellJob> jobs;
    jobs.push_back(std::move(context.job));
    m_worker->judge(std::move(jobs));
}

void TSpellChecker::forget(int block)
{
    if (const auto pending = m_pending.find(block); pending != m_pending.end()) {
        m_ticketBlocks.erase(pending->second);
        m_pending.erase(pending);
    }
}

void TSpellChecker::movePending(int first, int oldLast, int shift)
{
    if (m_pending.empty() || m_pending.rbegin()->first < first)
        return;
    std::map<int, quint64> moved;
    for (const auto& [block, ticket] : m_pending) {
        if (block < first) {
            moved.emplace(block, ticket);
        } else if (block > oldLast) {
            moved.emplace(block + shift, ticket);
            m_ticketBlocks[ticket] = block + shift;
        } else {
            m_ticketBlocks.erase(ticket);
        }
    }
    m_pending = std::move(moved);
}

void TSpellChecker::judged(const std::vector<TSpellVerdict>& verdicts)
{
    if (!active())
        return;
    const QTextDocument* doc = m_memo->document();
    int changed = 0;
    int from = 0, to = 0;
    for (const TSpellVerdict& verdict : verdicts) {
        const auto found = m_ticketBlocks.find(verdict.ticket);
        if (found == m_ticketBlocks.end())
            continue;  // the block changed after it was handed out
        const int number = found->second;
        m_ticketBlocks.erase(found);
        m_pending.erase(number);
        if (number >= m_results.size())
            continue;
        const TMissList shown = m_results.misses(number);
        const bool same = m_results.isChecked(number) &&
                          std::equal(shown.begin(), shown.end(), verdict.misses.begin(), verdict.misses.end());
        m_results.set(number, verdict.misses);
        if (same)
            continue;
        const QTextBlock block = doc->findBlockByNumber(number);
        from = changed ? std::min(from, block.position()) : block.position();
        to = std::max(to, block.position() + block.length());
        ++changed;
    }
    // One block repaints its rows alone; a batch the whole area.
    if (changed == 1)
        emit stretchChanged(from, to);
    else if (changed > 1)
        emit resultsChanged();
}

void TSpellChecker::textChanged(int position, int removed, int added)
{
    const QTextDocument* doc = m_memo->document();
    const int end = doc->characterCount() - 1;
    QTextBlock first = doc->findBlock(std::clamp(position, 0, end));
    QTextBlock last = doc->findBlock(std::clamp(position + added, 0, end));
    if (active() && first == last && m_results.size() == doc->blockCount() &&
        keepAround(first, position - first.position(), removed, added)) {
        request(first);
        return;
    }
    const int shift = doc->blockCount() - m_results.size();
    if (m_results.replace(first.blockNumber(), last.blockNumber(), doc->blockCount())) {
        movePending(first.blockNumber(), last.blockNumber() - shift, shift);
    } else {
        m_pending.clear();
        m_ticketBlocks.clear();
    }
    // Words cut by a piece break belong to the neighbouring pieces too.
    for (qsizetype reach = 0; m_memo->isContinuation(first) && reach < PieceReach;) {
        first = first.previous();
        reach += first.length();
        m_results.drop(first.blockNumber());
        forget(first.blockNumber());
    }
    for (qsizetype reach = 0; m_memo->isContinuation(last.next()) && reach < PieceReach;) {
        last = last.next();
        reach += last.length();
        m_results.drop(last.blockNumber());
        forget(last.blockNumber());
    }
    if (!active())
        return;
    // The blocks an edit changes are checked at once, seen or not; what
    // comes into view with a larger change follows.
    if (last.blockNumber() - first.blockNumber() < AtOnceBlocks)
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            request(block);
            if (block == last)
                break;
        }
    scheduleSeen();
}

bool TSpellChecker::keepAround(const QTextBlock& block, int at, int removed, int added)
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
    TSpellRanges misses;
    for (const TSpellRange& miss : m_results.misses(number)) {
        if (miss.to <= from)
            misses.push_back(miss);
        else if (miss.from >= to - moved)
            misses.push_back({miss.from + moved, miss.to + moved});
    }
    m_results.set(number, misses);
    return true;
}

TSpellChecker::Context TSpellChecker::contextOf(const QTextBlock& block) const
{
    Context context;
    TSpellJob& job = context.job;
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
            job.openStart = true;
            break;
        }
    }
    for (auto piece = before.rbegin(); piece != before.rend(); ++piece) {
        context.pieces.emplace_back(job.text.size(), piece->second);
        job.text += piece->first;
    }
    job.blockFrom = job.text.size();
    context.pieces.emplace_back(job.text.size(), block.position());
    job.text += block.text();
    job.blockTo = job.text.size();
    reach = 0;
    for (QTextBlock piece = block.next(); m_memo->isContinuation(piece); piece = piece.next()) {
        const QString text = piece.text();
        context.pieces.emplace_back(job.text.size(), piece.position());
        qsizetype blank = 0;
        while (blank < text.size() && !text[blank].isSpace())
            ++blank;
        if (blank < text.size()) {
            job.text += QStringView(text).left(blank + 1);
            break;
        }
        job.text += text;
        reach += text.size();
        if (reach > PieceReach) {
            job.openEnd = true;
            break;
        }
    }
    return context;
}

// Blocks with misses are judged again where seen, showing theirs until
// then, and forget them elsewhere.
void TSpellChecker::recheckMisses()
{
    if (!active())
        return;
    const QTextDocument* doc = m_memo->document();
    // Verdicts still in flight were judged without the words just accepted:
    // a new ticket drops them, and the worker takes the words in first.
    std::vector<int> inFlight;
    for (const auto& entry : m_pending)
        inFlight.push_back(entry.first);
    for (const int number : inFlight)
        request(doc->findBlockByNumber(number));
    const auto [first, last] = seenBlocks();
    for (const int number : m_results.missedBlocks()) {
        if (number >= first && number <= last)
            request(doc->findBlockByNumber(number));
        else
            m_results.drop(number);
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
    const auto miss = std::find_if(ranges.begin(), ranges.end(), [inBlock](const TSpellRange& range) {
        return range.from <= inBlock && inBlock <= range.to;
    });
    if (miss == ranges.end())
        return {};
    // The whole word, also where a piece break cuts it.
    const Context context = contextOf(block);
    const TSpellJob& job = context.job;
    const qsizetype from = job.blockFrom + miss->from;
    const qsizetype to = job.blockFrom + miss->to;
    for (const TWordSpan& word : CheckableWords(job.text, job.openStart, job.openEnd)) {
        if (std::max(word.from, job.blockFrom) == from && std::min(word.to, job.blockTo) == to)
            return {context.documentPosition(word.from), context.documentPosition(word.to),
                    job.text.mid(word.from, word.to - word.from)};
    }
    return {};
}

quint64 TSpellChecker::requestSuggestions(const QString& word, int count)
{
    const quint64 request = m_nextRequest++;
    if (m_worker && m_state == State::Ready)
        m_worker->suggest(request, word, count);
    return request;
}

void TSpellChecker::ignore(const QString& word)
{
    acceptWords({word});
}

void TSpellChecker::addToPersonalList(const QString& word)
{
    m_personalWords->add(word);
}

QStringList TSpellChecker::personalWords() const
{
    return m_personalWords->words();
}
