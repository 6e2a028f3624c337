// The spell check's reading of pasted text: any text, lone surrogates and
// format characters too, gives its words in order and inside the text, the
// same read whole or between the edges of two stretches, and keys for them;
// never a crash. The first byte chooses the open edges and where to read
// between, the rest is UTF-16.
#include <cstring>

#include "fuzzsupport.h"
#include "spelling/spellwords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool openStart = data[0] & 1;
    const bool openEnd = data[0] & 2;
    QString text(qsizetype((size - 1) / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data + 1, std::size_t(text.size()) * 2);
    const QVector<TWordSpan> words = CheckableWords(text, openStart, openEnd);
    qsizetype last = 0;
    for (const TWordSpan& word : words) {
        FUZZ_CHECK(word.from >= last && word.from < word.to && word.to <= text.size());
        FUZZ_CHECK(word.to - word.from <= MaxWordLength);
        last = word.to;
        const QString key = WordKey(text, word);
        FUZZ_CHECK(LookupKey(LookupKey(key)) == LookupKey(key));
        SpelledRight(key, [](const QString& form) { return form.size() % 3 == 0; });
    }
    // Between two stretch edges: the words of the whole that lie there.
    const qsizetype from = StretchStart(text, text.size() * (data[0] >> 4) / 16);
    const qsizetype to = StretchEnd(text, std::max(from, text.size() * ((data[0] >> 2) & 3) / 3));
    if (!openStart && !openEnd) {
        QVector<TWordSpan> inside;
        for (const TWordSpan& word : words)
            if (word.from >= from && word.to <= to)
                inside.append(word);
        FUZZ_CHECK(CheckableWordsBetween(text, from, to) == inside);
    }
    return 0;
}
