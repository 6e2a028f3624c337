#include "spelling/spellwords.h"

#include <algorithm>

namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

bool IsApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

bool IsJoiner(QChar c)
{
    return c == u'-' || c == u'\u2010' || IsApostrophe(c);
}

// Quotes and brackets around a stretch, and punctuation after it.
bool IsEnclosing(QChar c)
{
    return !IsWordChar(c) && c != u'/';
}

// A host name: two or more labels of letters, digits and hyphens, the first
// at least two long, the last two to six small ASCII letters ("vexlo.de",
// "forum.example.org/seite").
bool IsHostName(QStringView stretch)
{
    const qsizetype slash = stretch.indexOf(u'/');
    const QStringView host = slash >= 0 ? stretch.left(slash) : stretch;
    const qsizetype lastDot = host.lastIndexOf(u'.');
    const qsizetype firstDot = host.indexOf(u'.');
    if (firstDot < 2 || lastDot < 0)
        return false;
    const QStringView top = host.mid(lastDot + 1);
    if (top.size() < 2 || top.size() > 6)
        return false;
    for (const QChar c : top)
        if (c < u'a' || c > u'z')
            return false;
    qsizetype label = 0;
    for (const QChar c : host.left(lastDot)) {
        if (c == u'.') {
            if (label == 0)
                return false;
            label = 0;
        } else if (IsWordChar(c) || c == u'-') {
            ++label;
        } else {
            return false;
        }
    }
    return label > 0;
}

bool IsAddress(QStringView stretch)
{
    qsizetype from = 0;
    qsizetype to = stretch.size();
    while (from < to && IsEnclosing(stretch[from]))
        ++from;
    while (to > from && IsEnclosing(stretch[to - 1]) && stretch[to - 1] != u'/')
        --to;
    const QStringView core = stretch.mid(from, to - from);
    return core.contains(QLatin1String("://")) || core.contains(u'@') ||
           core.startsWith(QLatin1String("www."), Qt::CaseInsensitive) || IsHostName(core);
}

// The words of one stretch between blanks, at offset in the text.
void AddWords(QStringView text, qsizetype from, qsizetype to, QVector<TWordSpan>& words)
{
    qsizetype i = from;
    while (i < to) {
        if (!IsWordChar(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool digit = false;
        while (i < to) {
            if (IsWordChar(text[i])) {
                digit = digit || text[i].isDigit();
                ++i;
            } else if (IsJoiner(text[i]) && i + 1 < to && IsWordChar(text[i + 1])) {
                ++i;
            } else {
                break;
            }
        }
        // A hyphen that ends the stretch belongs to the word: "Ein- und Ausgang".
        if (i < to && (text[i] == u'-' || text[i] == u'\u2010') && (i + 1 == to || text[i + 1] == u','))
            ++i;
        const qsizetype length = i - start;
        if (!digit && length > 1 && length <= MaxWordLength)
            words.append({start, i, i < text.size() && text[i] == u'.'});
    }
}

}  // namespace

QVector<TWordSpan> CheckableWords(QStringView text, bool openStart, bool openEnd)
{
    return CheckableWordsBetween(text, 0, text.size(), openStart, openEnd);
}

QVector<TWordSpan> CheckableWordsBetween(QStringView text, qsizetype from, qsizetype to, bool openStart, bool openEnd)
{
    QVector<TWordSpan> words;
    qsizetype i = from;
    while (i < to) {
        while (i < to && text[i].isSpace())
            ++i;
        const qsizetype start = i;
        i = std::min(to, StretchEnd(text, i));
        if (i == start || (openStart && start == from) || (openEnd && i == to))
            continue;
        if (!IsAddress(text.mid(start, i - start)))
            AddWords(text, start, i, words);
    }
    return words;
}

qsizetype StretchStart(QStringView text, qsizetype at)
{
    while (at > 0 && !text[at - 1].isSpace())
        --at;
    return at;
}

qsizetype StretchEnd(QStringView text, qsizetype at)
{
    while (at < text.size() && !text[at].isSpace())
        ++at;
    return at;
}

QString WordKey(QStringView text, const TWordSpan& word)
{
    QString key = text.mid(word.from, word.to - word.from).toString();
    if (word.beforeStop)
        key.append(u'.');
    return key;
}

bool SpelledRight(const QString& key, const std::function<bool(const QString&)>& lookup)
{
    const bool stop = key.endsWith(u'.');
    QString word = stop ? key.chopped(1) : key;
    if (lookup(word) || (stop && lookup(key)))
        return true;
    const qsizetype apostrophe = std::max(word.lastIndexOf(u'\''), word.lastIndexOf(u'\u2019'));
    if (apostrophe < 0)
        return false;
    if (word.contains(u'\u2019')) {
        word.replace(u'\u2019', u'\'');
        if (lookup(word))
            return true;
    }
    // "geht's": the verb and an "es" cut short.
    return word.mid(apostrophe + 1).compare(QLatin1String("s"), Qt::CaseInsensitive) == 0 &&
           lookup(word.left(apostrophe));
}
