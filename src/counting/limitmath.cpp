#include "counting/limitmath.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

LineBreakCounter EveryBlockSeparator(const QTextDocument* document)
{
    return [document](int from, int to) -> qsizetype {
        return document->findBlock(to).blockNumber() - document->findBlock(from).blockNumber();
    };
}

bool IsBreakingBlank(QChar c)
{
    switch (c.unicode()) {
        case 0x00A0:
        case 0x2007:
        case 0x202F:
            return false;
        default:
            return c == u'\t' || c.category() == QChar::Separator_Space;
    }
}

TLimitMath::TLimitMath(const QTextDocument* document, LineBreakCounter lineBreaks)
    : m_document(document), m_lineBreaks(lineBreaks ? std::move(lineBreaks) : EveryBlockSeparator(document))
{
}

int TLimitMath::endPosition() const
{
    // The last block's separator is the document's own end, not the text's.
    return m_document->characterCount() - 1;
}

qsizetype TLimitMath::separatorsBetween(int from, int to) const
{
    return m_document->findBlock(to).blockNumber() - m_document->findBlock(from).blockNumber();
}

qsizetype TLimitMath::count(int from, int to) const
{
    // Each separator takes one position: a line break counts one more, any
    // other separator one less.
    return (to - from) - separatorsBetween(from, to) + 2 * m_lineBreaks(from, to);
}

int TLimitMath::limitPosition(qsizetype limit) const
{
    if (limit <= 0 || count() <= limit)
        return -1;
    // The last block that begins within the limit.
    int low = 0;
    int high = m_document->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (count(0, m_document->findBlockByNumber(middle).position()) <= limit)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = m_document->findBlockByNumber(low);
    const qsizetype room = limit - count(0, block.position());
    // The whole text does not fit, so neither does this block's separator
    // when every character of the block does.
    int position = block.position() + int(std::min<qsizetype>(room, block.length() - 1));
    if (position > block.position() && m_document->characterAt(position - 1).isHighSurrogate() &&
        m_document->characterAt(position).isLowSurrogate())
        --position;
    return position;
}

bool TLimitMath::isSeparatorAt(int position) const
{
    const QTextBlock block = m_document->findBlock(position);
    return position == block.position() + block.length() - 1;
}

bool TLimitMath::isLineBreakAt(int position) const
{
    return isSeparatorAt(position) && m_lineBreaks(position, position + 1) > 0;
}

bool TLimitMath::boundaryBefore(int position) const
{
    for (int p = position - 1; p >= 0; --p) {
        if (!isSeparatorAt(p))
            return IsBreakingBlank(m_document->characterAt(p));
        if (isLineBreakAt(p))
            return true;
    }
    return true;
}

bool TLimitMath::boundaryAt(int position) const
{
    const int end = endPosition();
    for (int p = position; p < end; ++p) {
        if (!isSeparatorAt(p))
            return IsBreakingBlank(m_document->characterAt(p));
        if (isLineBreakAt(p))
            return true;
    }
    return true;
}

int TLimitMath::cutPositionAt(int position) const
{
    if (position < 0 || boundaryBefore(position) || boundaryAt(position))
        return position;
    QTextBlock block = m_document->findBlock(position);
    int offset = position - block.position();
    for (;;) {
        const QString line = block.text();
        for (int i = offset - 1; i >= 0; --i)
            if (IsBreakingBlank(line.at(i)))
                return block.position() + i;
        const QTextBlock previous = block.previous();
        if (!previous.isValid())
            return position;
        const int separator = block.position() - 1;
        if (isLineBreakAt(separator))
            return separator;
        block = previous;
        offset = block.length() - 1;
    }
}

QString TLimitMath::text(int from, int to) const
{
    QString result;
    result.reserve(to - from);
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int separator = block.position() + block.length() - 1;
        result += block.text().mid(start - block.position(), std::min(to, separator) - start);
        if (separator < to && isLineBreakAt(separator))
            result += u'\n';
    }
    return result;
}
