#include "counting/countrule.h"

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
