#include "framework/TextCodec.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A sequence of two to four bytes that runs past the end of what is there.
constexpr int Truncated = -1;

// The length of the well-formed UTF-8 sequence of two to four bytes at p, and
// its code point; 0 when it is not one (no overlong forms, no surrogates,
// nothing above U+10FFFF), Truncated when what there is of it is right but
// the bytes end before it does.
int MultiByteSequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint)
{
    const unsigned char lead = *p;
    int length;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            secondMin = 0xA0;  // overlong below U+0800
        else if (lead == 0xED)
            secondMax = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            secondMin = 0x90;  // overlong below U+10000
        else if (lead == 0xF4)
            secondMax = 0x8F;  // above U+10FFFF
    } else {
        return 0;  // stray continuation byte, C0/C1 overlong lead, or F5-FF
    }
    const int available = int(std::min<qsizetype>(end - p, length));
    if (available > 1 && (p[1] < secondMin || p[1] > secondMax))
        return 0;
    for (int i = 1; i < available; ++i) {
        if (!IsContinuation(p[i]))
            return 0;
        codePoint = (codePoint << 6) | (p[i] & 0x3F);
    }
    return available < length ? Truncated : length;
}

constexpr int Block = 16;

// Set bits of a block's mask; inline, where the compiler's own may be a call.
inline int BitCount(unsigned bits)
{
    bits = bits - ((bits >> 1) & 0x55555555u);
    bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0Fu;
    return int((bits * 0x01010101u) >> 24);
}

// Widens the block of Block bytes at p into out (all of it: out has room) and
// returns how many of its leading bytes are plain ASCII other than CR and NUL;
// only those count, and the "\n" among them are added to lineBreaks.
inline int AsciiRun(const unsigned char* p, char16_t* out, qsizetype& lineBreaks)
{
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    const unsigned special = unsigned(_mm_movemask_epi8(
        _mm_or_si128(bytes, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, zero)))));
    const int run = __builtin_ctz(special | (1u << Block));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    const unsigned breaks = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    if (breaks != 0)
        lineBreaks += BitCount(breaks & ((1u << run) - 1u));
    return run;
#else
    int run = 0;
    while (run < Block && p[run] < 0x80 && p[run] != '\r' && p[run] != 0) {
        lineBreaks += p[run] == '\n';
        out[run] = p[run];
        ++run;
    }
    return run;
#endif
}

// Why a pass over a piece of bytes stopped.
enum class Stop { End, Truncated, Invalid, Nul };

// One pass over a piece of bytes: the next byte, the next unit written, the
// line breaks so far, and whether the piece ended in a CR (whose LF may
// begin the next piece). Kept in a local copy while it runs, so that it
// stays in registers: the wide stores could alias the caller's copy.
struct Pass {
    const unsigned char* in;
    const unsigned char* end;
    char16_t* out;
    qsizetype lineBreaks;
    bool afterCr;

    void skipLfAfterCr()
    {
        if (afterCr && in < end) {
            afterCr = false;
            if (*in == '\n')
                ++in;
        }
    }

    // Handles an ASCII byte; false at a NUL.
    bool ascii(unsigned char byte)
    {
        ++in;
        if (byte == '\r') {
            if (in == end)
                afterCr = true;
            else if (*in == '\n')
                ++in;
            byte = '\n';
        } else if (byte == 0) {
            return false;
        }
        lineBreaks += byte == '\n';
        *out++ = byte;
        return true;
    }

    // Skips over runs of plain ASCII; true when the pass is at its end.
    bool skipAscii()
    {
        while (end - in >= Block) {
            const int run = AsciiRun(in, out, lineBreaks);
            in += run;
            out += run;
            if (run < Block)
                return false;
        }
        return in == end;
    }

    Stop utf8()
    {
        skipLfAfterCr();
        while (!skipAscii()) {
            // Letters beyond ASCII tend to come in runs: stay here while they do.
            do {
                const unsigned char lead = *in;
                if (lead < 0x80) {
                    if (!ascii(lead))
                        return Stop::Nul;
                    continue;
                }
                // Two-byte sequences (umlauts, accents) are the common case.
                if (lead >= 0xC2 && lead <= 0xDF && end - in >= 2 && IsContinuation(in[1])) {
                    *out++ = char16_t(((lead & 0x1F) << 6) | (in[1] & 0x3F));
                    in += 2;
                    continue;
                }
                char32_t codePoint = 0;
                const int length = MultiByteSequence(in, end, codePoint);
                if (length == 0)
                    return Stop::Invalid;
                if (length == Truncated)
                    return Stop::Truncated;
                in += length;
                if (codePoint == 0x2028 || codePoint == 0x2029) {
                    *out++ = u'\n';
                    ++lineBreaks;
                } else if (codePoint >= 0x10000) {
                    *out++ = QChar::highSurrogate(codePoint);
                    *out++ = QChar::lowSurrogate(codePoint);
                } else {
                    *out++ = char16_t(codePoint);
                }
            } while (in < end && *in >= 0x80);
        }
        return Stop::End;
    }

    Stop windows1252()
    {
        skipLfAfterCr();
        while (!skipAscii()) {
            const unsigned char byte = *in;
            if (byte < 0x80) {
                if (!ascii(byte))
                    return Stop::Nul;
                continue;
            }
            ++in;
            *out++ = byte <= 0x9F ? HighControls[byte - 0x80] : char16_t(byte);
        }
        return Stop::End;
    }
};

const unsigned char Bom[3] = {0xEF, 0xBB, 0xBF};

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
        if (*p < 0x80) {
            ++p;
            continue;
        }
        char32_t codePoint;
        const int length = MultiByteSequence(p, end, codePoint);
        if (length <= 0)
            return false;
        p += length;
    }
    return true;
}

TextDecoder::TextDecoder(bool windows1252, qsizetype expectedBytes)
    : m_windows1252(windows1252), m_atStart(!windows1252)
{
    // No byte gives more than one UTF-16 unit, so the bytes' count is room enough.
    m_text.resize(expectedBytes + Block);
}

void TextDecoder::makeRoom(qsizetype bytes)
{
    // Room for every byte, and for a whole block the fast path writes at once.
    const qsizetype needed = m_size + bytes + Block;
    if (needed > m_text.size())
        m_text.resize(std::max(needed, m_text.size() + m_text.size() / 2));
}

bool TextDecoder::feed(QByteArrayView piece)
{
    if (m_failed)
        return false;
    const auto* in = reinterpret_cast<const unsigned char*>(piece.data());
    const auto* const end = in + piece.size();
    if (m_atStart) {
        // The byte-order mark may come in pieces too.
        while (m_pendingSize < 3 && in < end)
            m_pending[m_pendingSize++] = *in++;
        if (std::memcmp(m_pending, Bom, size_t(m_pendingSize)) == 0) {
            if (m_pendingSize < 3)
                return true;
            m_pendingSize = 0;
        }
        m_atStart = false;
    }
    makeRoom(m_pendingSize + (end - in));
    if (m_pendingSize > 0 && !feedPending(in, end))
        return !m_failed;
    if (run(in, end))
        hold(in, end);
    return !m_failed;
}

// The bytes held back from the last piece, completed from this one. False
// when nothing of this piece is left to decode.
bool TextDecoder::feedPending(const unsigned char*& in, const unsigned char* end)
{
    unsigned char bytes[8];
    const int held = m_pendingSize;
    const int taken = int(std::min<qsizetype>(end - in, 4));
    std::memcpy(bytes, m_pending, size_t(held));
    std::memcpy(bytes + held, in, size_t(taken));
    m_pendingSize = 0;
    const unsigned char* next = bytes;
    const bool truncated = run(next, bytes + held + taken);
    if (m_failed)
        return false;
    const int used = int(next - bytes);
    if (truncated && used < held) {
        // Still cut off: this piece was too short to complete it.
        hold(next, bytes + held + taken);
        in = end;
        return false;
    }
    in += used - held;  // a sequence cut off later is read from this piece itself
    return true;
}

void TextDecoder::hold(const unsigned char* in, const unsigned char* end)
{
    m_pendingSize = int(end - in);
    std::memcpy(m_pending, in, size_t(m_pendingSize));
}

bool TextDecoder::run(const unsigned char*& in, const unsigned char* end)
{
    auto* const text = reinterpret_cast<char16_t*>(m_text.data());
    Pass pass{in, end, text + m_size, m_lineBreaks, m_afterCr};
    const Stop stop = m_windows1252 ? pass.windows1252() : pass.utf8();
    in = pass.in;
    m_size = pass.out - text;
    m_lineBreaks = pass.lineBreaks;
    m_afterCr = pass.afterCr;
    m_failed = stop == Stop::Invalid || stop == Stop::Nul;
    m_hasNul = stop == Stop::Nul;
    return stop == Stop::Truncated;
}

bool TextDecoder::finish()
{
    // Bytes held back at the end are a sequence, or a mark, cut short.
    return !m_failed && m_pendingSize == 0;
}

DecodedText TextDecoder::take()
{
    DecodedText result;
    m_text.truncate(m_size);
    // Multi-byte text leaves much of the room unused; give it back.
    if (m_text.capacity() - m_size > m_size / 8)
        m_text.squeeze();
    result.text = std::move(m_text);
    result.lineBreaks = m_lineBreaks;
    result.windows1252 = m_windows1252;
    result.hasNul = m_hasNul;
    m_text = QString();
    m_size = 0;
    return result;
}

DecodedText DecodeText(QByteArrayView bytes)
{
    TextDecoder utf8(false, bytes.size());
    if ((utf8.feed(bytes) && utf8.finish()) || utf8.hasNul())
        return utf8.take();
    // One invalid byte makes the whole file Windows-1252, from its first byte.
    TextDecoder windows1252(true, bytes.size());
    windows1252.feed(bytes);
    windows1252.finish();
    return windows1252.take();
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
