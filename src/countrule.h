#pragma once

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

// What a line break counts.
int LineBreakWeight(TCountRule rule);

// What one UTF-16 unit of a line counts under the unit-based rules (all but
// the visible characters), given the unit before it (0 at a line's start).
// A surrogate pair counts as one code point and as four bytes; a lone
// surrogate is sent as U+FFFD, three bytes.
int UnitWeight(TCountRule rule, char16_t unit, char16_t previous);

// Whether every position of text is a grapheme cluster boundary, with context
// the text just before it in the same line: true for text made only of the
// characters below the combining marks, as most German text is.
bool EveryUnitACluster(QStringView context, QStringView text);
