#include "countrule.h"

#include <QChar>

TCountRule CountRuleFromValue(std::int32_t value)
{
    if (value < std::int32_t(FirstCountRule) || value > std::int32_t(LastCountRule))
        return TCountRule::Browser;
    return TCountRule(value);
}

QString CountRuleName(TCountRule rule)
{
    switch (rule) {
        case TCountRule::Browser:
            return QStringLiteral("wie der Browser sendet");
        case TCountRule::MaxLength:
            return QStringLiteral("wie ein Eingabefeld mit Höchstlänge");
        case TCountRule::CodePoints:
            return QStringLiteral("Unicode-Zeichen");
        case TCountRule::Utf8Bytes:
            return QStringLiteral("Bytes (UTF-8)");
        case TCountRule::Graphemes:
            return QStringLiteral("sichtbare Zeichen");
    }
    return QString();
}

QString CountRuleShortName(TCountRule rule)
{
    switch (rule) {
        case TCountRule::Browser:
            return QString();
        case TCountRule::MaxLength:
            return QStringLiteral("Höchstlänge");
        case TCountRule::CodePoints:
            return QStringLiteral("Unicode");
        case TCountRule::Utf8Bytes:
            return QStringLiteral("Bytes");
        case TCountRule::Graphemes:
            return QStringLiteral("sichtbar");
    }
    return QString();
}

int LineBreakWeight(TCountRule rule)
{
    return rule == TCountRule::Browser || rule == TCountRule::Utf8Bytes ? 2 : 1;
}

int UnitWeight(TCountRule rule, char16_t unit, char16_t previous)
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

bool EveryUnitACluster(QStringView context, QStringView text)
{
    // Below U+0300 nothing extends or joins a cluster, and the text holds no CR.
    constexpr char16_t FirstJoining = 0x300;
    if (!context.isEmpty() && context.back().unicode() >= FirstJoining)
        return false;
    for (const QChar c : text)
        if (c.unicode() >= FirstJoining)
            return false;
    return true;
}
