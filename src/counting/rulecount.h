#pragma once

#include <QObject>
#include <QTextBlock>
#include <climits>
#include <memory>

#include "counting/blocksums.h"
#include "counting/countrule.h"

class TPieceModel;
class TLimitMath;
class TGraphemes;

// The count of a text area's text under one counting rule, with the places
// where a limit falls and where a copy of what fits ends. Under the
// browser's rule it is the limit math's own; under the others each block's
// count (its line break included) is kept in block sums, counted again only
// for the blocks a change touched, and only when a count is asked for.
// The break before a continuation block (a piece of a long line) is nothing,
// and a cluster or a surrogate pair cut by one is counted once.
class TRuleCount : public QObject {
    Q_OBJECT
public:
    // math counts the document of pieces; both outlive this object.
    TRuleCount(const TPieceModel* pieces, const TLimitMath& math, TCountRule rule, QObject* parent = nullptr);
    ~TRuleCount() override;

    TCountRule rule() const { return m_rule; }

    qsizetype count(int from, int to) const;
    qsizetype count() const;

    // The end of the longest beginning whose count is within limit; -1 when
    // the whole text fits or limit <= 0. Under every rule but the browser's
    // (which keeps a surrogate pair whole) it never splits a grapheme cluster.
    int limitPosition(qsizetype limit) const;
    // The limit position cut back to the last blank or line break (see TLimitMath).
    int cutPosition(qsizetype limit) const;

private:
    void changed(int position, int added);
    void markDirty(qsizetype from, qsizetype to) const;
    void update() const;
    qint64 blockValue(const QTextBlock& block) const;
    // The nearest piece before block holding text when block continues its
    // line (or the line's first, empty), else an invalid block.
    QTextBlock linePrevious(const QTextBlock& block) const;
    // The count of the block's first `length` units, the text before it in its line as context.
    qint64 partialCount(const QTextBlock& block, int length) const;
    // The count of text, with context the text before it in its line.
    qint64 textCount(QStringView context, QStringView text) const;
    // Counts the blocks from block to block number last afresh, from the
    // document's text read at once; the tree is left to the caller.
    void countFromRawText(QTextBlock block, qsizetype last) const;
    qsizetype countBefore(int position) const;
    // Where in block the remaining room runs out; a cluster cut by the piece
    // break before the block may end it in the block before.
    int fitInBlock(const QTextBlock& block, qint64 room) const;
    // Where the cluster that the piece break before block cuts begins.
    int straddlingStart(const QTextBlock& block) const;

    const TPieceModel* m_pieces;
    const TLimitMath& m_math;
    TCountRule m_rule;
    mutable TBlockSums m_sums;
    // The cluster iterator, opened once the first cluster is looked for.
    TGraphemes& graphemes() const;
    mutable std::unique_ptr<TGraphemes> m_graphemes;
    // Blocks whose values are out of date, counted again at the next read.
    mutable qsizetype m_dirtyFrom = 0;
    mutable qsizetype m_dirtyTo = -1;
    mutable bool m_rebuild = true;
};
