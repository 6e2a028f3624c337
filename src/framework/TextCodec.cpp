#include "framework/TextCodec.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstring>

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same number, so every byte survives
// a decode and encode.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

}  // namespace

namespace TextCodec {

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Plain ASCII runs are the common case; skip them eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t block;
            std::memcpy(&block, p, sizeof block);
            if ((block & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length;
        unsigned char secondMin = 0x80;
        unsigned char secondMax = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                secondMin = 0xA0;  // overlong below U+0800
            else if (lead == 0xED)
                secondMax = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                secondMin = 0x90;  // overlong below U+10000
            else if (lead == 0xF4)
                secondMax = 0x8F;  // above U+10FFFF
        } else {
            return false;  // stray continuation byte, C0/C1 overlong lead, or F5-FF
        }
        if (end - p < length)
            return false;
        if (p[1] < secondMin || p[1] > secondMax)
            return false;
        for (int i = 2; i < length; ++i) {
            if (!IsContinuation(p[i]))
                return false;
        }
        p += length;
    }
    return true;
}

QString Decode(const QByteArray& bytes, bool* usedWindows1252)
{
    const bool utf8 = IsValidUtf8(bytes);
    if (usedWindows1252)
        *usedWindows1252 = !utf8;
    if (!utf8)
        return DecodeWindows1252(bytes);
    const QByteArray bom("\xEF\xBB\xBF");
    return DecodeUtf8(bytes.startsWith(bom) ? QByteArrayView(bytes).sliced(bom.size()) : QByteArrayView(bytes));
}

QString DecodeUtf8(QByteArrayView bytes)
{
    // Qt's plain conversion would drop a leading U+FEFF as a byte-order mark.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? HighControls[byte - 0x80] : char16_t(byte);
    }
    return text;
}

bool EncodeWindows1252(const QString& text, QByteArray& bytes)
{
    QByteArray result(text.size(), Qt::Uninitialized);
    char* out = result.data();
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            *out++ = static_cast<char>(unit);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (HighControls[i] == unit) {
                found = i;
                break;
            }
        }
        if (found < 0) {
            bytes.clear();
            return false;
        }
        *out++ = static_cast<char>(0x80 + found);
    }
    bytes = result;
    return true;
}

}  // namespace TextCodec
