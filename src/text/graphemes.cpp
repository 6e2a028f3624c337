#include "text/graphemes.h"

#include <unicode/ubrk.h>
#include <unicode/utypes.h>

#include <algorithm>

#include "framework/VexloError.h"

static_assert(sizeof(UChar) == sizeof(char16_t), "ICU's text units are UTF-16 units");

TGraphemes::TGraphemes(QStringView text)
{
    UErrorCode status = U_ZERO_ERROR;
    // The root rules: clusters do not depend on the language.
    m_iterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_FAILURE(status))
        throw VexloError(
            QStringLiteral("Die Zeichengrenzen können nicht bestimmt werden: ICU meldet %1.").arg(u_errorName(status)));
    setText(text);
}

TGraphemes::~TGraphemes()
{
    ubrk_close(m_iterator);
}

void TGraphemes::setText(QStringView text)
{
    m_text = text;
    UErrorCode status = U_ZERO_ERROR;
    static const UChar empty = 0;
    ubrk_setText(m_iterator, text.isEmpty() ? &empty : reinterpret_cast<const UChar*>(text.utf16()),
                 int32_t(text.size()), &status);
    if (U_FAILURE(status))
        throw VexloError(
            QStringLiteral("Die Zeichengrenzen können nicht bestimmt werden: ICU meldet %1.").arg(u_errorName(status)));
}

bool TGraphemes::isBoundary(qsizetype offset)
{
    if (offset <= 0 || offset >= m_text.size())
        return true;
    if (InsidePair(m_text, offset))
        return false;
    return ubrk_isBoundary(m_iterator, int32_t(offset));
}

qsizetype TGraphemes::next(qsizetype offset)
{
    if (offset >= m_text.size())
        return m_text.size();
    // ICU reads an offset inside a pair as the pair's start.
    if (InsidePair(m_text, offset) && isBoundary(++offset))
        return offset;
    int32_t at = ubrk_following(m_iterator, int32_t(std::max<qsizetype>(offset, 0)));
    // ICU keeps pairs whole; the guard holds whatever it is given.
    while (at != UBRK_DONE && InsidePair(m_text, at))
        at = ubrk_following(m_iterator, at);
    return at == UBRK_DONE ? m_text.size() : at;
}

qsizetype TGraphemes::previous(qsizetype offset)
{
    if (offset <= 0)
        return 0;
    if (InsidePair(m_text, offset) && isBoundary(--offset))
        return offset;
    int32_t at = ubrk_preceding(m_iterator, int32_t(std::min(offset, m_text.size())));
    while (at != UBRK_DONE && InsidePair(m_text, at))
        at = ubrk_preceding(m_iterator, at);
    return at == UBRK_DONE ? 0 : at;
}

qsizetype TGraphemes::count(qsizetype from, qsizetype to)
{
    if (from >= to)
        return 0;
    qsizetype clusters = isBoundary(from) ? 1 : 0;
    for (qsizetype at = next(from); at < to; at = next(at))
        ++clusters;
    return clusters;
}

namespace {

// Characters that neither extend nor join a cluster nor let one go on past
// them: Latin up to the combining marks, and the punctuation, quotes, dashes
// and currency signs German text is full of. CR is left out: it joins LF.
bool StandsAlone(char16_t c)
{
    return (c < 0x300 && c != u'\r') || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) ||
           (c >= 0x20A0 && c <= 0x20C0);
}

}  // namespace

bool EveryUnitACluster(QStringView context, QStringView text)
{
    if (!context.isEmpty() && !StandsAlone(context.back().unicode()))
        return false;
    for (const QChar c : text)
        if (!StandsAlone(c.unicode()))
            return false;
    return true;
}
