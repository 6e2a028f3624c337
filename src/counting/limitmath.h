#pragma once

#include <QString>
#include <functional>

class QTextDocument;

// How many line breaks lie between two positions of a document (from <= to).
using LineBreakCounter = std::function<qsizetype(int fromPosition, int toPosition)>;

// The counter for a document in which every block separator is a line break.
LineBreakCounter EveryBlockSeparator(const QTextDocument* document);

// Counts and limit positions of a text area's document, worked out from
// positions and block numbers alone, so that no answer rescans the text. The
// count of a range is its UTF-16 units with each line break counting two; a
// block separator that is not a line break is no character at all.
class TLimitMath {
public:
    // Without a counter every block separator is a line break.
    explicit TLimitMath(const QTextDocument* document, LineBreakCounter lineBreaks = {});

    const QTextDocument* document() const { return m_document; }
    // The position after the last character.
    int endPosition() const;
    qsizetype lineBreaks(int from, int to) const { return m_lineBreaks(from, to); }

    // The count of the characters between two positions, and of the whole text.
    qsizetype count(int from, int to) const;
    qsizetype count() const { return count(0, endPosition()); }

    // The end of the longest beginning whose count is within limit, never
    // inside a surrogate pair; -1 when the whole text fits or limit <= 0
    // (no limit).
    int limitPosition(qsizetype limit) const;

    // Where a copy of what fits ends: the limit position, moved back to the
    // last blank or line break (which stays out) when the limit falls inside
    // a word; a hard cut when the beginning holds neither. -1 as limitPosition.
    int cutPosition(qsizetype limit) const { return cutPositionAt(limitPosition(limit)); }
    // The same for the position where a limit falls (-1: none).
    int cutPositionAt(int limitPosition) const;

    // The text between two positions, with "\n" line breaks.
    QString text(int from, int to) const;

private:
    qsizetype separatorsBetween(int from, int to) const;
    bool isLineBreakAt(int position) const;
    bool isSeparatorAt(int position) const;
    // Whether a blank or a line break (or the text's edge) lies next to position.
    bool boundaryBefore(int position) const;
    bool boundaryAt(int position) const;

    const QTextDocument* m_document;
    LineBreakCounter m_lineBreaks;
};

// Blanks at which a line may be cut; the no-break spaces hold words together.
bool IsBreakingBlank(QChar c);
