// Text files: decoding never fails and loses no byte, the count equals a plain
// recount, and what is written reads back the same.
#include <algorithm>

#include "framework/TextCodec.h"
#include "framework/VexloError.h"
#include "fuzzsupport.h"
#include "storage/textfile.h"

namespace {

// Well-formed UTF-8, decoded one code point at a time the slow way.
bool PlainIsUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = p[i];
        int length = 0;
        char32_t point = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            point = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            point = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            point = lead & 0x07;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (p[i + k] & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Each UTF-16 unit counts one, each line break two.
qsizetype PlainCount(const QString& text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        count += c == u'\n' ? 2 : 1;
    return count;
}

QString PlainLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar(0x2028), u'\n');
    text.replace(QChar(0x2029), u'\n');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = Bytes(data, size);

    const bool utf8 = TextCodec::IsValidUtf8(bytes);
    FUZZ_CHECK(utf8 == PlainIsUtf8(bytes));
    // The plain decoding, one byte-order mark dropped; no byte is lost.
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QString plain = utf8 ? TextCodec::DecodeUtf8(body) : TextCodec::DecodeWindows1252(bytes);
    if (utf8) {
        FUZZ_CHECK(plain.toUtf8() == body);
    } else {
        QByteArray encoded;
        FUZZ_CHECK(TextCodec::EncodeWindows1252(plain, encoded) && encoded == bytes);
    }

    // The one-pass decoder agrees with it, whole and fed in pieces of any size.
    const TextCodec::DecodedText whole = TextCodec::DecodeText(bytes);
    const bool hasNul = bytes.contains('\0');
    FUZZ_CHECK(whole.hasNul == hasNul);
    if (!hasNul) {
        FUZZ_CHECK(whole.windows1252 == !utf8);
        FUZZ_CHECK(whole.text == PlainLineBreaks(plain));
        FUZZ_CHECK(whole.lineBreaks == whole.text.count(u'\n'));
        const qsizetype step = size > 0 ? 1 + data[0] % 7 : 1;
        TextCodec::TextDecoder decoder(whole.windows1252, 0);
        bool fed = true;
        for (qsizetype at = 0; at < bytes.size(); at += step)
            fed = decoder.feed(QByteArrayView(bytes).sliced(at, std::min(step, bytes.size() - at))) && fed;
        FUZZ_CHECK(fed && decoder.finish());
        FUZZ_CHECK(decoder.take().text == whole.text);
    }

    const QString path = ScratchFile(QStringLiteral("text.txt"), bytes);
    QString text;
    try {
        text = ReadTextFile(path);
    } catch (const VexloError&) {
        FUZZ_CHECK(bytes.contains('\0'));  // the only refusal a small file can meet
        return 0;
    }
    FUZZ_CHECK(!bytes.contains('\0'));
    FUZZ_CHECK(text == whole.text);
    FUZZ_CHECK(CountChars(text) == PlainCount(text));

    WriteTextFile(path, text);
    FUZZ_CHECK(ReadTextFile(path) == text);
    return 0;
}
