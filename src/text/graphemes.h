#pragma once

#include <QStringView>

struct UBreakIterator;

// Where one grapheme cluster (what a reader sees as one character) ends and
// the next begins, as ICU's character break iterator finds them. Every count,
// cut, piece break and caret stop that depends on clusters asks here. No
// boundary ever falls between the halves of a surrogate pair.
class TGraphemes {
public:
    // Offsets are relative to text, which must outlive the use of the iterator.
    explicit TGraphemes(QStringView text = {});
    ~TGraphemes();
    TGraphemes(const TGraphemes&) = delete;
    TGraphemes& operator=(const TGraphemes&) = delete;

    // Cheap: an iterator is opened once and then given text after text.
    void setText(QStringView text);
    QStringView text() const { return m_text; }

    // The text's start and end are boundaries.
    bool isBoundary(qsizetype offset);
    // The first boundary after offset (the text's size past its end).
    qsizetype next(qsizetype offset);
    // The last boundary before offset (0 at or before the text's start).
    qsizetype previous(qsizetype offset);
    // The boundary at or before offset, and at or after it.
    qsizetype startAt(qsizetype offset) { return isBoundary(offset) ? offset : previous(offset); }
    qsizetype endAt(qsizetype offset) { return isBoundary(offset) ? offset : next(offset); }

    // The clusters that begin in text[from, to), the text before from their context.
    qsizetype count(qsizetype from, qsizetype to);

private:
    UBreakIterator* m_iterator = nullptr;
    QStringView m_text;
};

// Whether every position of text is a cluster boundary, with context the text
// just before it in the same line: true for text made only of characters that
// stand alone, as most German text is. It lets the iterator rest there.
bool EveryUnitACluster(QStringView context, QStringView text);

// Whether offset lies between the halves of a surrogate pair of text.
inline bool InsidePair(QStringView text, qsizetype offset)
{
    return offset > 0 && offset < text.size() && text[offset - 1].isHighSurrogate() && text[offset].isLowSurrogate();
}
