#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <cstdint>

// How a site counts a text against its limit. The values are those stored
// in the settings file.
enum class TCountRule : std::int32_t {
    Browser = 1,    // UTF-16 units, a line break two: what a browser sends
    MaxLength = 2,  // UTF-16 units, a line break one: a text box's maxlength
    CodePoints = 3,
    Utf8Bytes = 4,  // as sent, a line break CR LF
    Graphemes = 5,  // what the reader sees as one character
};

constexpr TCountRule FirstCountRule = TCountRule::Browser;
constexpr TCountRule LastCountRule = TCountRule::Graphemes;

// A stored value as a rule: anything but 1 to 5 is the browser's rule.
TCountRule CountRuleFromValue(std::int32_t value);

// The rule's name in the menus, e.g. "Bytes (UTF-8)".
QString CountRuleName(TCountRule rule);
// The rule's name in the info line, e.g. "Bytes"; empty for the browser's rule.
QString CountRuleShortName(TCountRule rule);

// The weights of the five rules, read by every count and every search for
// where a limit falls: what a line break counts, and what a UTF-16 unit
// counts under the unit-based rules (the visible characters count clusters).

// What a line break counts.
int LineBreakWeight(TCountRule rule);

// What one UTF-16 unit of a line counts under the unit-based rules (all but
// the visible characters), given the unit before it (0 at a line's start).
// A surrogate pair counts as one code point and as four bytes; a lone
// surrogate is sent as U+FFFD, three bytes.
// Inline: it runs for every unit of a text counted afresh.
inline int UnitWeight(TCountRule rule, char16_t unit, char16_t previous)
{
    const bool pairEnd = QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(previous);
    switch (rule) {
        case TCountRule::CodePoints:
            return pairEnd ? 0 : 1;
        case TCountRule::Utf8Bytes:
            if (unit < 0x80)
                return 1;
            if (unit < 0x800)
                return 2;
            // The pair's high half is taken for a lone one until its low half follows.
            return pairEnd ? 1 : 3;
        default:
            return 1;
    }
}

// What the units count together, given the unit before the first (0 at a line's start).
inline qint64 UnitsWeight(TCountRule rule, char16_t previous, QStringView units)
{
    qint64 sum = 0;
    for (const QChar c : units) {
        sum += UnitWeight(rule, c.unicode(), previous);
        previous = c.unicode();
    }
    return sum;
}
