#include "text/runwrap.h"

#include <limits>

// Whether text holds more than FarBreak units in a row without a blank: only
// then can a row start that far from a break.
static bool HasLongRun(const QString& text)
{
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > TRunWrap::FarBreak)
            return true;
    }
    return false;
}

TRunWrap::TRunWrap(const QTextBlock& block) : m_layout(*block.layout()), m_option(m_layout.textOption())
{
    if (block.length() <= FarBreak || m_option.wrapMode() != QTextOption::WrapAtWordBoundaryOrAnywhere)
        return;
    const QString text = block.text();
    if (HasLongRun(text))
        m_breaks.emplace(QTextBoundaryFinder::Line, text);
}

void TRunWrap::setLineWidth(QTextLine& line, qreal width)
{
    if (!m_breaks) {
        line.setLineWidth(width);
        return;
    }
    // Rows start ever further on: the next break is looked for only once passed.
    if (line.textStart() >= m_nextBreak) {
        m_breaks->setPosition(line.textStart());
        m_nextBreak = m_breaks->toNextBoundary();
        if (m_nextBreak < 0)
            m_nextBreak = std::numeric_limits<qsizetype>::max();
    }
    if (m_nextBreak - line.textStart() <= FarBreak) {
        line.setLineWidth(width);
        return;
    }
    QTextOption anywhere = m_option;
    anywhere.setWrapMode(QTextOption::WrapAnywhere);
    m_layout.setTextOption(anywhere);
    line.setLineWidth(width);
    m_layout.setTextOption(m_option);
    // A row reaching the break (a very wide one) may end at a word boundary:
    // Qt's own way then, at the cost of this row only.
    if (line.textStart() + line.textLength() >= m_nextBreak)
        line.setLineWidth(width);
}
