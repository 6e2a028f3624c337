#include "counting/blocksums.h"

void TBlockSums::replace(qsizetype from, qsizetype removed, qsizetype added)
{
    const auto at = m_values.begin() + from;
    if (added > removed)
        m_values.insert(at + removed, size_t(added - removed), 0);
    else if (added < removed)
        m_values.erase(at + added, at + removed);
    std::fill(m_values.begin() + from, m_values.begin() + from + added, 0);
    rebuildTree();
}

void TBlockSums::set(qsizetype index, qint64 value)
{
    const qint64 delta = value - m_values[size_t(index)];
    m_values[size_t(index)] = qint32(value);
    if (delta == 0)
        return;
    for (size_t i = size_t(index) + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

void TBlockSums::rebuildTree()
{
    m_tree.assign(m_values.size() + 1, 0);
    for (size_t i = 1; i < m_tree.size(); ++i) {
        m_tree[i] += m_values[i - 1];
        const size_t parent = i + (i & (~i + 1));
        if (parent < m_tree.size())
            m_tree[parent] += m_tree[i];
    }
}

qint64 TBlockSums::sumBefore(qsizetype count) const
{
    qint64 sum = 0;
    for (size_t i = size_t(count); i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

qsizetype TBlockSums::blocksWithin(qint64 bound) const
{
    size_t step = 1;
    while (step * 2 < m_tree.size())
        step *= 2;
    size_t count = 0;
    for (; step > 0; step /= 2) {
        if (count + step < m_tree.size() && m_tree[count + step] <= bound) {
            count += step;
            bound -= m_tree[count];
        }
    }
    return qsizetype(count);
}
