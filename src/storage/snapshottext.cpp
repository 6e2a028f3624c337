#include "storage/snapshottext.h"

#include <algorithm>

bool SnapshotText::isEmpty() const
{
    return std::all_of(blocks.begin(), blocks.end(), [](const QString& block) { return block.isEmpty(); }) &&
           std::count(marks.begin(), marks.end(), LineStart) <= 1;
}

QString SnapshotText::joined() const
{
    if (blocks.size() == 1)
        return blocks[0];  // shared, not copied
    qsizetype size = 0;
    for (const QString& block : blocks)
        size += block.size() + 1;
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (i > 0 && marks[size_t(i)] != Continuation)
            text.append(u'\n');
        text.append(blocks[i]);
    }
    return text;
}
