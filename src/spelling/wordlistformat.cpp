#include "spelling/wordlistformat.h"

#include <QSet>

#include "framework/TextCodec.h"

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

QByteArrayView WithoutByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith(ByteOrderMark) ? bytes.sliced(ByteOrderMark.size()) : bytes;
}

// Calls line(view) for every line, its end left out. A last line without an
// end is a line too; nothing after the last end is none.
template <typename Line>
void ForEachLine(QByteArrayView bytes, Line line)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        line(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        line(bytes.sliced(start));
}

bool HasControlCharacter(const QString& word)
{
    for (const QChar c : word)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

// Whether a line read as Windows-1252 is a word as people write one: letters
// with the marks, digits and joining signs words carry, and at least one letter.
bool PlausibleWord(const QString& word)
{
    bool letter = false;
    for (const QChar c : word) {
        if (c.isLetter())
            letter = true;
        else if (!c.isMark() && !c.isDigit() && c != u'-' && c != u'\'' && c != u'.' && c != QChar(0x2019))
            return false;
    }
    return letter;
}

QString WordOf(QByteArrayView line)
{
    if (line.isValidUtf8()) {
        const QString word = QString::fromUtf8(line).trimmed();
        return HasControlCharacter(word) ? QString() : word;
    }
    const QString word = TextCodec::DecodeWindows1252(line.toByteArray()).trimmed();
    return PlausibleWord(word) ? word : QString();
}

}  // namespace

QStringList WordListWords(QByteArrayView bytes)
{
    QStringList words;
    QSet<QString> seen;
    ForEachLine(WithoutByteOrderMark(bytes), [&](QByteArrayView line) {
        QString word = WordOf(line);
        if (!word.isEmpty() && !seen.contains(word)) {
            seen.insert(word);
            words.append(std::move(word));
        }
    });
    return words;
}

QByteArray WordListWithAdded(QByteArrayView bytes, const QStringList& words)
{
    QByteArray result;
    result.reserve(bytes.size() + 1 + words.size() * 16);
    const QByteArrayView body = WithoutByteOrderMark(bytes);
    result.append(bytes.first(bytes.size() - body.size()));
    ForEachLine(body, [&](QByteArrayView line) {
        result.append(line);
        result.append('\n');
    });
    for (const QString& word : words) {
        result.append(word.toUtf8());
        result.append('\n');
    }
    return result;
}
