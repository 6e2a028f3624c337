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
    SnapshotText whole;
    whole.blocks.append(pieces->text());
    whole.marks.push_back(SnapshotText::LineStart);
    return whole;
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
    m_texts.reserve(m_blockCount + m_blockCount / 8);
    m_taken.reserve(size_t(m_texts.capacity()));
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
    m_texts.clear();
    m_taken.clear();
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
    const int taken = int(m_texts.size());
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
            m_units -= m_texts[i].size();
        m_texts.resize(first);
        m_taken.resize(size_t(first));
        m_firstHole = std::min(m_firstHole, first);
        return;
    }
    for (int i = first; i <= lastBefore; ++i)
        m_units -= m_texts[i].size();
    // Only the blocks that came or went move the ones behind them.
    if (delta > 0) {
        m_texts.insert(first, delta, QString());
        m_taken.insert(m_taken.begin() + first, size_t(delta), SnapshotText::NotTaken);
    } else if (delta < 0) {
        m_texts.remove(first, -delta);
        m_taken.erase(m_taken.begin() + first, m_taken.begin() + first - delta);
    }
    for (int i = first; i <= lastAfter; ++i) {
        m_texts[i] = QString();
        m_taken[size_t(i)] = SnapshotText::NotTaken;
    }
}

bool TTextSnapshot::step()
{
    if (!m_running)
        return false;
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
    const auto take = [&](int number, const QTextBlock& block) {
        m_texts[number] = block.text();
        m_units += m_texts[number].size();
        m_taken[size_t(number)] =
            m_pieces->isContinuation(block) ? SnapshotText::Continuation : SnapshotText::LineStart;
    };
    const int taken = int(m_texts.size());
    while (m_firstHole < taken) {
        m_firstHole =
            int(std::find(m_taken.begin() + m_firstHole, m_taken.end(), SnapshotText::NotTaken) - m_taken.begin());
        QTextBlock block = doc->findBlockByNumber(m_firstHole);
        for (; m_firstHole < taken && m_taken[size_t(m_firstHole)] == SnapshotText::NotTaken; ++m_firstHole) {
            take(m_firstHole, block);
            block = block.next();
            if (!timeLeft())
                return false;
        }
    }
    m_firstHole = taken;  // no hole left; later changes make new ones
    for (QTextBlock block = doc->findBlockByNumber(taken); block.isValid(); block = block.next()) {
        m_texts.append(QString());
        m_taken.push_back(SnapshotText::NotTaken);
        take(int(m_texts.size()) - 1, block);
        m_firstHole = int(m_texts.size());
        if (!timeLeft())
            return !block.next().isValid();
    }
    return true;
}

void TTextSnapshot::complete()
{
    const QTextDocument* doc = m_pieces->document();
    SnapshotText text;
    // What was taken must add up to the document: a change no signal told of
    // would otherwise go unseen.
    if (m_texts.size() != doc->blockCount() || m_units + m_texts.size() != doc->characterCount()) {
        if (++m_restarts <= MaxRestarts) {
            begin();
            return;
        }
        text = TakeWhole(m_pieces);
    } else {
        text.blocks = std::move(m_texts);
        text.marks = std::move(m_taken);
    }
    m_running = false;
    restart();
    if (onDone)
        onDone(std::move(text));
}
