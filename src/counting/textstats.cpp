#include "counting/textstats.h"

#include <QTextBlock>
#include <QTextDocument>

#include "counting/limitmath.h"

namespace {

qsizetype Utf8Bytes(QChar c)
{
    if (c.unicode() < 0x80)
        return 1;
    if (c.unicode() < 0x800)
        return 2;
    // A surrogate pair is four bytes, two for each half.
    return c.isSurrogate() ? 2 : 3;
}

}  // namespace

TTextStats MeasureText(const TLimitMath& math)
{
    TTextStats stats;
    const int end = math.endPosition();
    if (end == 0)
        return stats;
    const qsizetype breaks = math.lineBreaks(0, end);
    stats.lines = breaks + 1;
    stats.charsWithoutBreaks = math.count() - 2 * breaks;
    stats.utf8Bytes = 2 * breaks;
    bool inWord = false;
    for (QTextBlock block = math.document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        for (const QChar c : line) {
            stats.utf8Bytes += Utf8Bytes(c);
            const bool blank = IsBreakingBlank(c);
            if (!blank && !inWord)
                ++stats.words;
            inWord = !blank;
        }
        // A word goes on across a separator that is not a line break.
        const int separator = block.position() + block.length() - 1;
        if (separator < end && math.lineBreaks(separator, separator + 1) > 0)
            inWord = false;
    }
    return stats;
}
