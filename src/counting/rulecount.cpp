#include "counting/rulecount.h"

#include <QTextDocument>
#include <algorithm>

#include "counting/limitmath.h"
#include "text/graphemes.h"
#include "text/piecemodel.h"

namespace {

// Beyond this many blocks to count again, the tree is made anew.
constexpr qsizetype ManyBlocks = 64;
// Beyond this many, the text is read at once rather than block by block
// (each block's own text costs a search for its place).
constexpr qsizetype ManyBlocksForRawText = 4096;

// Walks the places in text (after context) where a cluster may end: every
// unit where nothing joins, else the grapheme cluster boundaries.
class ClusterSteps {
public:
    ClusterSteps(TGraphemes& graphemes, QStringView context, QStringView text)
        : m_graphemes(graphemes),
          m_start(context.size()),
          m_size(text.size()),
          m_simple(EveryUnitACluster(context, text))
    {
        if (m_simple)
            return;
        m_whole.reserve(context.size() + text.size());
        m_whole.append(context).append(text);
        m_graphemes.setText(m_whole);
    }
    // Whether a cluster begins at the text's start.
    bool startsCluster() { return m_simple || m_graphemes.isBoundary(m_start); }
    // The next boundary after offset in the text (offsets relative to the text).
    qsizetype next(qsizetype offset) { return m_simple ? offset + 1 : m_graphemes.next(m_start + offset) - m_start; }
    // The start of the cluster the text's start falls in, relative to the context's start.
    qsizetype clusterStart() { return m_simple ? m_start : m_graphemes.startAt(m_start); }
    // The clusters that begin in the text.
    qsizetype count() { return m_simple ? m_size : m_graphemes.count(m_start, m_start + m_size); }

private:
    TGraphemes& m_graphemes;
    qsizetype m_start;
    qsizetype m_size;
    bool m_simple;
    QString m_whole;
};

}  // namespace

TRuleCount::TRuleCount(const TPieceModel* pieces, const TLimitMath& math, TCountRule rule, QObject* parent)
    : QObject(parent), m_pieces(pieces), m_math(math), m_rule(rule)
{
    if (m_rule == TCountRule::Browser)
        return;
    connect(m_pieces->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { changed(position, added); });
}

TRuleCount::~TRuleCount() = default;

void TRuleCount::markDirty(qsizetype from, qsizetype to) const
{
    from = std::max<qsizetype>(from, 0);
    to = std::min<qsizetype>(to, m_sums.size() - 1);
    if (m_dirtyFrom > m_dirtyTo) {
        m_dirtyFrom = from;
        m_dirtyTo = to;
    } else {
        m_dirtyFrom = std::min(m_dirtyFrom, from);
        m_dirtyTo = std::max(m_dirtyTo, to);
    }
}

void TRuleCount::changed(int position, int added)
{
    if (m_rebuild)
        return;  // everything is counted at the next read anyway
    const QTextDocument* doc = m_pieces->document();
    const int end = doc->characterCount() - 1;
    const qsizetype first = doc->findBlock(std::clamp(position, 0, end)).blockNumber();
    const qsizetype last = doc->findBlock(std::clamp(position + added, 0, end)).blockNumber();
    const qsizetype delta = doc->blockCount() - m_sums.size();
    // The old blocks first..oldLast became the blocks first..last.
    const qsizetype oldLast = last - delta;
    if (first < 0 || oldLast < first || oldLast >= m_sums.size()) {
        m_rebuild = true;
        return;
    }
    if (delta != 0) {
        m_sums.replace(first, oldLast - first + 1, last - first + 1);
        if (m_dirtyFrom > oldLast)
            m_dirtyFrom += delta;
        if (m_dirtyTo > oldLast)
            m_dirtyTo += delta;
    }
    // The block before for its line break (a piece break may have become one),
    // the one after for its context.
    markDirty(first - 1, last + 1);
}

void TRuleCount::update() const
{
    const QTextDocument* doc = m_pieces->document();
    if (m_rebuild || m_sums.size() != doc->blockCount()) {
        m_sums.replace(0, m_sums.size(), doc->blockCount());
        m_dirtyFrom = 0;
        m_dirtyTo = m_sums.size() - 1;
        m_rebuild = true;
    }
    if (m_dirtyFrom > m_dirtyTo)
        return;
    const bool many = m_rebuild || m_dirtyTo - m_dirtyFrom >= ManyBlocks;
    QTextBlock block = doc->findBlockByNumber(int(m_dirtyFrom));
    if (m_rule != TCountRule::MaxLength && m_dirtyTo - m_dirtyFrom >= ManyBlocksForRawText) {
        countFromRawText(block, m_dirtyTo);
    } else {
        for (qsizetype k = m_dirtyFrom; k <= m_dirtyTo && block.isValid(); ++k, block = block.next()) {
            if (many)
                m_sums.setWithoutTree(k, blockValue(block));
            else
                m_sums.set(k, blockValue(block));
        }
    }
    if (many)
        m_sums.rebuildTree();
    m_dirtyFrom = 0;
    m_dirtyTo = -1;
    m_rebuild = false;
}

void TRuleCount::countFromRawText(QTextBlock block, qsizetype last) const
{
    // The raw text holds each block separator as one unit: its indexes are positions.
    const QString raw = m_pieces->document()->toRawText();
    const QStringView all(raw);
    const QTextBlock before = linePrevious(block);
    QStringView previous = before.isValid() ? all.mid(before.position(), before.length() - 1) : QStringView();
    // Without pieces every separator is a line break: no block's format is read.
    const QTextDocument* doc = m_pieces->document();
    const bool pieces = m_pieces->lineBreaksBetween(0, doc->characterCount() - 1) != doc->blockCount() - 1;
    int position = block.position();
    bool continues = pieces && m_pieces->isContinuation(block);
    for (qsizetype k = block.blockNumber(); k <= last && block.isValid(); ++k) {
        const QStringView text = all.mid(position, block.length() - 1);
        const QTextBlock next = block.next();
        const bool nextContinues = pieces && next.isValid() && m_pieces->isContinuation(next);
        const bool lineBreak = next.isValid() && !nextContinues;
        m_sums.setWithoutTree(
            k, textCount(continues ? previous : QStringView(), text) + (lineBreak ? LineBreakWeight(m_rule) : 0));
        if (!text.isEmpty())
            previous = text;
        position += block.length();
        continues = nextContinues;
        block = next;
    }
}

QTextBlock TRuleCount::linePrevious(const QTextBlock& block) const
{
    // An empty piece is passed over: the cluster before it goes on after it.
    for (QTextBlock piece = block; m_pieces->isContinuation(piece);) {
        piece = piece.previous();
        if (piece.length() > 1 || !m_pieces->isContinuation(piece))
            return piece;
    }
    return QTextBlock();
}

qint64 TRuleCount::blockValue(const QTextBlock& block) const
{
    const QTextBlock next = block.next();
    const bool lineBreak = next.isValid() && !m_pieces->isContinuation(next);
    return partialCount(block, block.length() - 1) + (lineBreak ? LineBreakWeight(m_rule) : 0);
}

qint64 TRuleCount::partialCount(const QTextBlock& block, int length) const
{
    if (m_rule == TCountRule::MaxLength || length <= 0)
        return std::max(length, 0);
    const QString text = block.text();
    const QTextBlock previous = linePrevious(block);
    const QString context = previous.isValid() ? previous.text() : QString();
    return textCount(context, QStringView(text).left(length));
}

qint64 TRuleCount::textCount(QStringView context, QStringView text) const
{
    if (m_rule == TCountRule::MaxLength)
        return text.size();
    if (m_rule == TCountRule::Graphemes) {
        if (text.isEmpty())
            return 0;
        if (EveryUnitACluster(context, text))
            return text.size();
        return ClusterSteps(graphemes(), context, text).count();
    }
    return UnitsWeight(m_rule, context.isEmpty() ? 0 : context.back().unicode(), text);
}

qsizetype TRuleCount::countBefore(int position) const
{
    const QTextBlock block = m_pieces->document()->findBlock(position);
    return m_sums.sumBefore(block.blockNumber()) + partialCount(block, position - block.position());
}

qsizetype TRuleCount::count(int from, int to) const
{
    if (m_rule == TCountRule::Browser)
        return m_math.count(from, to);
    if (from >= to)
        return 0;
    update();
    return countBefore(to) - countBefore(from);
}

qsizetype TRuleCount::count() const
{
    if (m_rule == TCountRule::Browser)
        return m_math.count();
    update();
    return m_sums.total();
}

int TRuleCount::limitPosition(qsizetype limit) const
{
    if (m_rule == TCountRule::Browser)
        return m_math.limitPosition(limit);
    if (limit <= 0 || count() <= limit)
        return -1;
    // The last block that begins within the limit, its line break left out.
    const qsizetype fitting = m_sums.blocksWithin(limit);
    const QTextBlock block = m_pieces->document()->findBlockByNumber(int(fitting));
    return fitInBlock(block, limit - m_sums.sumBefore(fitting));
}

int TRuleCount::fitInBlock(const QTextBlock& block, qint64 room) const
{
    const QString text = block.text();
    const QTextBlock previous = linePrevious(block);
    const QString context = previous.isValid() ? previous.text() : QString();
    ClusterSteps steps(graphemes(), context, text);
    const auto weight = [&](qsizetype from, qsizetype to) -> qint64 {
        if (m_rule == TCountRule::Graphemes)
            return 1;
        const char16_t before = from > 0            ? text.at(from - 1).unicode()
                                : context.isEmpty() ? 0
                                                    : context.back().unicode();
        return UnitsWeight(m_rule, before, QStringView(text).mid(from, to - from));
    };
    qsizetype at = 0;
    if (!steps.startsCluster()) {
        // The tail of a cluster that begins in the piece before: counted
        // there under the visible rule, here under the others.
        const qsizetype tail = steps.next(0);
        if (m_rule != TCountRule::Graphemes && weight(0, tail) > room) {
            return straddlingStart(block);
        }
        if (m_rule != TCountRule::Graphemes)
            room -= weight(0, tail);
        at = tail;
    }
    while (at < text.size()) {
        const qsizetype next = std::min<qsizetype>(steps.next(at), text.size());
        const qint64 cost = weight(at, next);
        if (cost > room)
            break;
        room -= cost;
        at = next;
    }
    return block.position() + int(at);
}

TGraphemes& TRuleCount::graphemes() const
{
    if (!m_graphemes)
        m_graphemes = std::make_unique<TGraphemes>();
    return *m_graphemes;
}

int TRuleCount::straddlingStart(const QTextBlock& block) const
{
    // A cluster longer than a piece reaches back over several piece breaks.
    for (QTextBlock piece = linePrevious(block); piece.isValid(); piece = linePrevious(piece)) {
        const QTextBlock before = linePrevious(piece);
        const QString context = before.isValid() ? before.text() : QString();
        const QString whole = context + piece.text();
        TGraphemes& steps = graphemes();
        steps.setText(whole);
        const qsizetype start = steps.previous(whole.size());
        if (start > context.size() || (start == context.size() && steps.isBoundary(start)) || !before.isValid())
            return piece.position() + int(std::max<qsizetype>(start - context.size(), 0));
    }
    return block.position();
}

int TRuleCount::cutPosition(qsizetype limit) const
{
    if (m_rule == TCountRule::Browser)
        return m_math.cutPosition(limit);
    return m_math.cutPositionAt(limitPosition(limit));
}
