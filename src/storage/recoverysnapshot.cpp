#include "storage/recoverysnapshot.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "text/piecemodel.h"

namespace {

// After this many snapshots spoilt by a change the signals did not describe,
// the text is taken at once: slower, but never wrong.
constexpr int MaxRestarts = 3;
// Text replaced meanwhile stays in the copy's memory until it is let go: past
// this much beside an eighth of the text, the snapshot begins again.
constexpr qsizetype MaxUnusedUnits = qsizetype(1) << 20;

}  // namespace

TTextSnapshot::TTextSnapshot(const TPieceModel* pieces, Guard guard, QObject* parent)
    : QObject(parent), m_pieces(pieces), m_guard(guard)
{
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, [this] { guarded([this] { step(); }); });
    connect(m_pieces->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) { guarded([&] { changed(position, removed, added); }); });
}

void TTextSnapshot::guarded(const std::function<void()>& handler) const
{
    if (m_guard)
        m_guard(handler);
    else
        handler();
}

SnapshotText TTextSnapshot::TakeWhole(const TPieceModel* pieces)
{
    return SnapshotText::Whole(pieces->text());
}

void TTextSnapshot::start()
{
    m_restarts = 0;
    begin();
}

void TTextSnapshot::begin()
{
    restart();
    // Room for all at once: growing a list of a million blocks copies it, in one slice.
    m_copy.blocks.reserve(size_t(m_blockCount + m_blockCount / 8));
    m_copy.marks.reserve(m_copy.blocks.capacity());
    m_running = true;
    m_slice.start();
}

void TTextSnapshot::cancel()
{
    m_running = false;
    m_slice.stop();
    restart();
}

void TTextSnapshot::restart()
{
    m_copy = SnapshotText();
    m_units = 0;
    m_firstHole = 0;
    m_blockCount = m_pieces->document()->blockCount();
}

// Blocks before the change are as they were. The blocks from the changed one
// to the one holding the change's end replace as many blocks before the
// change as the block count tells; blocks after them merely move.
void TTextSnapshot::changed(int position, int /*removed*/, int added)
{
    if (!m_running)
        return;
    const QTextDocument* doc = m_pieces->document();
    const int delta = doc->blockCount() - m_blockCount;
    m_blockCount = doc->blockCount();
    std::vector<SnapshotText::Span>& blocks = m_copy.blocks;
    std::vector<SnapshotText::Mark>& marks = m_copy.marks;
    const int taken = int(blocks.size());
    const int last = doc->characterCount() - 1;
    if (position < 0 || position > last) {
        restart();
        return;
    }
    const int first = doc->findBlock(position).blockNumber();
    if (first >= taken)
        return;
    const int lastAfter = doc->findBlock(std::min(position + added, last)).blockNumber();
    const int lastBefore = lastAfter - delta;
    m_firstHole = std::min(m_firstHole > lastBefore ? m_firstHole + delta : m_firstHole, first);
    if (lastBefore >= taken || lastBefore < first) {
        // The change reaches past what was taken: the rest is taken afresh.
        for (int i = first; i < taken; ++i)
            forget(i);
        blocks.resize(size_t(first));
        marks.resize(size_t(first));
        m_firstHole = std::min(m_firstHole, first);
        return;
    }
    for (int i = first; i <= lastBefore; ++i)
        forget(i);
    // Only the blocks that came or went move the ones behind them.
    if (delta > 0) {
        blocks.insert(blocks.begin() + first, size_t(delta), SnapshotText::Span());
        marks.insert(marks.begin() + first, size_t(delta), SnapshotText::NotTaken);
    } else if (delta < 0) {
        blocks.erase(blocks.begin() + first, blocks.begin() + first - delta);
        marks.erase(marks.begin() + first, marks.begin() + first - delta);
    }
    for (int i = first; i <= lastAfter; ++i) {
        blocks[size_t(i)] = SnapshotText::Span();
        marks[size_t(i)] = SnapshotText::NotTaken;
    }
}

bool TTextSnapshot::step()
{
    if (!m_running)
        return false;
    if (m_copy.unusedUnits() > MaxUnusedUnits + m_units / 8) {
        takeAgain();
        return !m_running;
    }
    if (!takeBlocks()) {
        m_slice.start();
        return false;
    }
    complete();
    return !m_running;
}

// Takes blocks until the slice's time is up; true when every block is taken.
bool TTextSnapshot::takeBlocks()
{
    QElapsedTimer clock;
    clock.start();
    int count = 0;
    const auto timeLeft = [&] {
        ++count;
        if (m_sliceBlocks > 0)
            return count < m_sliceBlocks;
        return count % 64 != 0 || clock.nsecsElapsed() < SliceNanoseconds;
    };
    const QTextDocument* doc = m_pieces->document();
    std::vector<SnapshotText::Mark>& marks = m_copy.marks;
    const auto take = [&](int number, const QTextBlock& block) {
        const SnapshotText::Span span = m_copy.store(block.text());
        m_copy.blocks[size_t(number)] = span;
        m_units += span.length;
        marks[size_t(number)] = m_pieces->isContinuation(block) ? SnapshotText::Continuation : SnapshotText::LineStart;
    };
    const int taken = int(m_copy.blocks.size());
    while (m_firstHole < taken) {
        m_firstHole = int(std::find(marks.begin() + m_firstHole, marks.end(), SnapshotText::NotTaken) - marks.begin());
        QTextBlock block = doc->findBlockByNumber(m_firstHole);
        for (; m_firstHole < taken && marks[size_t(m_firstHole)] == SnapshotText::NotTaken; ++m_firstHole) {
            take(m_firstHole, block);
            block = block.next();
            if (!timeLeft())
                return false;
        }
    }
    m_firstHole = taken;  // no hole left; later changes make new ones
    for (QTextBlock block = doc->findBlockByNumber(taken); block.isValid(); block = block.next()) {
        m_copy.blocks.emplace_back();
        marks.push_back(SnapshotText::NotTaken);
        take(int(m_copy.blocks.size()) - 1, block);
        m_firstHole = int(m_copy.blocks.size());
        if (!timeLeft())
            return !block.next().isValid();
    }
    return true;
}

void TTextSnapshot::complete()
{
    const QTextDocument* doc = m_pieces->document();
    // What was taken must add up to the document: a change no signal told of
    // would otherwise go unseen.
    const qsizetype blocks = qsizetype(m_copy.blocks.size());
    if (blocks != doc->blockCount() || m_units + blocks != doc->characterCount()) {
        takeAgain();
        return;
    }
    SnapshotText text = std::exchange(m_copy, SnapshotText());
    m_running = false;
    restart();
    if (onDone)
        onDone(std::move(text));
}

// Begins again, or after too many tries takes the text at once: slower, but never wrong.
void TTextSnapshot::takeAgain()
{
    if (++m_restarts <= MaxRestarts) {
        begin();
        return;
    }
    SnapshotText text = TakeWhole(m_pieces);
    m_running = false;
    restart();
    if (onDone)
        onDone(std::move(text));
}

void TTextSnapshot::forget(int number)
{
    const SnapshotText::Span& span = m_copy.blocks[size_t(number)];
    m_units -= span.length;
    m_copy.forget(span);
}
