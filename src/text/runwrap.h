#pragma once

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <optional>

// Wraps the rows of a layout as Qt's word wrap does, at a cost that grows with
// the row rather than with the run it starts in. Qt tries every row at a word
// boundary first and scans on to the next place where a line may break before
// it breaks anywhere, so the rows of a run without such places (a link, an
// encoded blob) each scan to the run's end: quadratic in the run's length.
// A row that starts far from the next break is broken anywhere at once, which
// is what Qt ends with whenever that break lies beyond the row.
class TRunWrap {
public:
    // Rows starting further than this from the next break are broken anywhere first.
    static constexpr int FarBreak = 256;

    // Wraps the block's layout as the layout's option says.
    explicit TRunWrap(const QTextBlock& block);

    void setLineWidth(QTextLine& line, qreal width);

private:
    QTextLayout& m_layout;
    const QTextOption m_option;
    // The places where a line may break, only for a text with a long run.
    std::optional<QTextBoundaryFinder> m_breaks;
    qsizetype m_nextBreak = -1;  // the first break after the last row's start
};
