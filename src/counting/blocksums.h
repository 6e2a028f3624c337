#pragma once

#include <QtGlobal>
#include <vector>

// A value for each block of a document and the sums of their runs, in a
// Fenwick tree: a value changes and a sum is read in logarithmic time, and
// the search for where a running sum passes a bound walks the tree once.
class TBlockSums {
public:
    qsizetype size() const { return qsizetype(m_values.size()); }
    qint64 value(qsizetype index) const { return m_values[size_t(index)]; }

    // Blocks from..from+removed-1 give way to `added` blocks of value 0;
    // linear time, as blocks come or go only with line breaks and pieces.
    void replace(qsizetype from, qsizetype removed, qsizetype added);
    void set(qsizetype index, qint64 value);
    // Many values set at once, the tree made again in one linear pass.
    void setWithoutTree(qsizetype index, qint64 value) { m_values[size_t(index)] = qint32(value); }
    void rebuildTree();

    // The sum of the values of the first `count` blocks.
    qint64 sumBefore(qsizetype count) const;
    qint64 total() const { return sumBefore(size()); }
    // The largest count of leading blocks whose values sum to at most bound
    // (bound >= 0).
    qsizetype blocksWithin(qint64 bound) const;

private:
    // A block's value fits 32 bits: even the whole text's count would.
    std::vector<qint32> m_values;
    std::vector<qint64> m_tree;  // 1-based
};
