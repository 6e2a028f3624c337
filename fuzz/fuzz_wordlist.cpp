// The personal word list: any bytes read give words without a replacement
// character, and an add keeps every line byte for byte, only its end made LF.
#include "fuzzsupport.h"
#include "spelling/wordlistformat.h"

namespace {

const QByteArray Replacement("\xEF\xBF\xBD");

// The list's bytes with every line end made LF, the slow way.
QByteArray WithLfEnds(QByteArray bytes)
{
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (bytes.size() > mark && !bytes.endsWith('\n'))
        bytes += '\n';
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    const bool hadReplacement = bytes.contains(Replacement);
    const QStringList words = WordListWords(bytes);
    for (const QString& word : words) {
        FUZZ_CHECK(!word.isEmpty() && word == word.trimmed());
        FUZZ_CHECK(hadReplacement || !word.contains(QChar(0xFFFD)));
        FUZZ_CHECK(!word.contains(u'\n') && !word.contains(u'\r'));
    }
    const QString added = QStringLiteral("Neuwört");
    const QByteArray written = WordListWithAdded(bytes, {added});
    FUZZ_CHECK(written == WithLfEnds(bytes) + added.toUtf8() + '\n');
    QStringList expected = words;
    if (!expected.contains(added))
        expected.append(added);
    FUZZ_CHECK(WordListWords(written) == expected);
    return 0;
}
