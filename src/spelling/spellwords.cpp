#include "spelling/spellwords.h"

#include <algorithm>

namespace {

// Top-level domains a host name in German text ends in; a short list, so
// that "gutt.aber" (a blank left out) is still two words. Left out: those
// that are German words too (am, an, es, im, in, so).
const QStringList TopLevelDomains = {
    QStringLiteral("app"), QStringLiteral("at"),  QStringLiteral("be"),  QStringLiteral("berlin"),
    QStringLiteral("biz"), QStringLiteral("ch"),  QStringLiteral("com"), QStringLiteral("cz"),
    QStringLiteral("de"),  QStringLiteral("dev"), QStringLiteral("dk"),  QStringLiteral("edu"),
    QStringLiteral("eu"),  QStringLiteral("fr"),  QStringLiteral("gov"), QStringLiteral("info"),
    QStringLiteral("io"),  QStringLiteral("it"),  QStringLiteral("li"),  QStringLiteral("lu"),
    QStringLiteral("me"),  QStringLiteral("net"), QStringLiteral("nl"),  QStringLiteral("online"),
    QStringLiteral("org"), QStringLiteral("pl"),  QStringLiteral("ru"),  QStringLiteral("shop"),
    QStringLiteral("tv"),  QStringLiteral("uk"),  QStringLiteral("us"),  QStringLiteral("wien"),
};

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

// Soft hyphens, zero-width joiners and the like: inside a word, not seen.
bool IsFormat(QChar c)
{
    return c.category() == QChar::Other_Format;
}

bool IsApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

bool IsHyphen(QChar c)
{
    return c == u'-' || c == u'\u2010' || c == u'\u2011';
}

bool IsJoiner(QChar c)
{
    return IsHyphen(c) || IsApostrophe(c);
}

// Quotes and brackets around a stretch, and punctuation after it.
bool IsEnclosing(QChar c)
{
    return !IsWordChar(c) && c != u'/';
}

// A host name: two or more labels of letters, digits and hyphens, the first
// at least two long, the last a known top-level domain ("vexlo.de",
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
    if (std::none_of(TopLevelDomains.begin(), TopLevelDomains.end(),
                     [top](const QString& domain) { return top == domain; }))
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

// A name of three or more small-letter labels such as a newsgroup's
// ("de.comp.os.unix"): no words, though no host.
bool IsDottedName(QStringView stretch)
{
    qsizetype labels = 0;
    qsizetype length = 0;
    for (const QChar c : stretch) {
        if (c == u'.') {
            if (length < 2)
                return false;
            ++labels;
            length = 0;
        } else if (c >= u'a' && c <= u'z') {
            ++length;
        } else {
            return false;
        }
    }
    return length >= 2 && labels >= 2;
}

// A file's path: "/etc/fstab", "~/.profile", "./start.sh", "../alt",
// "C:\Programme", "\\server\freigabe", also in quotes or brackets.
bool IsPath(QStringView stretch)
{
    qsizetype from = 0;
    while (from < stretch.size() &&
           (stretch[from] == u'"' || stretch[from] == u'\'' || stretch[from].category() == QChar::Punctuation_Open ||
            stretch[from].category() == QChar::Punctuation_InitialQuote ||
            stretch[from].category() == QChar::Punctuation_FinalQuote))
        ++from;
    const QStringView path = stretch.mid(from);
    if (path.startsWith(u'/') || path.startsWith(QLatin1String("~/")) || path.startsWith(QLatin1String("./")) ||
        path.startsWith(QLatin1String("../")) || path.startsWith(QLatin1String("\\\\")))
        return true;
    return path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 0x80 && path[1] == u':' &&
           (path[2] == u'\\' || path[2] == u'/');
}

bool IsAddress(QStringView stretch)
{
    if (IsPath(stretch))
        return true;
    qsizetype from = 0;
    qsizetype to = stretch.size();
    while (from < to && IsEnclosing(stretch[from]))
        ++from;
    while (to > from && IsEnclosing(stretch[to - 1]) && stretch[to - 1] != u'/')
        --to;
    const QStringView core = stretch.mid(from, to - from);
    return core.contains(QLatin1String("://")) || core.contains(u'@') ||
           core.startsWith(QLatin1String("www."), Qt::CaseInsensitive) || IsHostName(core) || IsDottedName(core);
}

// Where the format characters from i on end, if a word character follows
// them; else i.
qsizetype SkipFormat(QStringView text, qsizetype i, qsizetype to)
{
    qsizetype j = i;
    while (j < to && IsFormat(text[j]))
        ++j;
    return j > i && j < to && IsWordChar(text[j]) ? j : i;
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
        qsizetype start = i;
        while (i < to) {
            if (IsWordChar(text[i]))
                ++i;
            else if (const qsizetype next = SkipFormat(text, i, to); next > i)
                i = next;
            else if (IsJoiner(text[i]) && i + 1 < to && IsWordChar(text[i + 1]))
                ++i;
            else
                break;
        }
        // A hyphen that ends the stretch belongs to the word: "Ein- und Ausgang".
        if (i < to && IsHyphen(text[i]) && (i + 1 == to || text[i + 1] == u','))
            ++i;
        // A compound led by a number: the words after it ("10-Punkt-Plan").
        qsizetype number = start;
        while (number < i && text[number].isDigit())
            ++number;
        if (number > start && number + 1 < i && IsHyphen(text[number]))
            start = number + 1;
        qsizetype letters = 0;
        bool digit = false;
        for (qsizetype j = start; j < i; ++j) {
            digit = digit || text[j].isDigit();
            letters += text[j].isLetter();
        }
        if (!digit && letters > 1 && i - start <= MaxWordLength)
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
    QString key;
    if (word.from >= 2 && IsHyphen(text[word.from - 1]) && text[word.from - 2].isDigit())
        key.append(u'-');
    key.append(text.mid(word.from, word.to - word.from));
    if (word.beforeStop)
        key.append(u'.');
    return key;
}

QString LookupKey(QStringView word)
{
    // Most words hold nothing to fold.
    if (std::all_of(word.begin(), word.end(), [](QChar c) { return c.unicode() < 0x300 && c != u'\u00AD'; }))
        return word.toString();
    QString key;
    key.reserve(word.size());
    for (qsizetype i = 0; i < word.size(); ++i) {
        char32_t c = word[i].unicode();
        const bool pair = word[i].isHighSurrogate() && i + 1 < word.size() && word[i + 1].isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(word[i], word[i + 1]);
        const QString folded = QChar::decomposition(c);
        if (QChar::category(c) == QChar::Other_Format) {
            // dropped
        } else if (c == u'\u2010' || c == u'\u2011') {
            key += u'-';
        } else if (QChar::decompositionTag(c) == QChar::Compat && folded.size() > 1 &&
                   std::all_of(folded.begin(), folded.end(), [](QChar part) { return part.isLetter(); })) {
            key += folded;  // a ligature
        } else {
            key += word.mid(i, pair ? 2 : 1);
        }
        i += pair;
    }
    return key.normalized(QString::NormalizationForm_C);
}

bool SpelledRight(const QString& wordKey, const std::function<bool(const QString&)>& lookup)
{
    const bool afterNumber = wordKey.startsWith(u'-');
    const QString key = LookupKey(afterNumber ? QStringView(wordKey).mid(1) : QStringView(wordKey));
    const bool stop = key.endsWith(u'.');
    QString word = stop ? key.chopped(1) : key;
    if (lookup(word) || (stop && lookup(key)))
        return true;
    // "3-tägig" reads as "dreitägig".
    if (afterNumber && word.front().isLower() && lookup(QStringLiteral("drei") + word))
        return true;
    const qsizetype apostrophe = std::max(word.lastIndexOf(u'\''), word.lastIndexOf(u'\u2019'));
    if (apostrophe < 0)
        return false;
    if (word.contains(u'\u2019')) {
        word.replace(u'\u2019', u'\'');
        if (lookup(word))
            return true;
    }
    // Spoken German cut short: "geht's" (es), "für'n" (einen), "auf'm" (dem).
    const QStringView cut = QStringView(word).mid(apostrophe + 1);
    return cut.size() == 1 && QStringLiteral("smn").contains(cut[0].toLower()) && lookup(word.left(apostrophe));
}

QStringList UsefulSuggestions(const QStringList& suggestions, int count)
{
    QStringList useful;
    for (const QString& suggestion : suggestions) {
        if (useful.size() >= count)
            break;
        if (!suggestion.isEmpty() && !IsHyphen(suggestion.front()) && !IsHyphen(suggestion.back()))
            useful.append(suggestion);
    }
    return useful;
}

QStringList OwnWords(QStringView about)
{
    QStringList words = {QStringLiteral("Vexlo"), QStringLiteral("Vexlo-Ed")};
    for (const TWordSpan& word : CheckableWords(about)) {
        const QString own = about.mid(word.from, word.to - word.from).toString();
        if (!words.contains(own))
            words.append(own);
    }
    return words;
}
