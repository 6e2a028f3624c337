#include "textfile.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

#include "framework/TextCodec.h"
#include "framework/VexloError.h"

namespace {

// No UTF-8 or Windows-1252 text of MemoCapacity counted characters takes more
// than this many bytes, so a larger file is refused before it is read.
constexpr qint64 MaxFileBytes = 4 * static_cast<qint64>(MemoCapacity);

[[noreturn]] void ThrowCannotOpen(const QString& fileName)
{
    throw VexloError(QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(fileName));
}

[[noreturn]] void ThrowTooLarge()
{
    throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
}

// Reads at most MaxFileBytes + 1 bytes, so that a device without a size (or a
// file that grows while it is read) cannot fill the memory.
QByteArray ReadLimited(QFile& file, const QString& fileName)
{
    const qint64 size = file.size();
    if (size > MaxFileBytes)
        ThrowTooLarge();
    constexpr qint64 Chunk = 1 << 20;
    QByteArray bytes;
    // Room for the last, empty read too, so the buffer is never copied.
    bytes.reserve(static_cast<qsizetype>(std::min(size + Chunk, MaxFileBytes + 1)));
    for (;;) {
        const qint64 oldSize = bytes.size();
        const qint64 want = std::min(Chunk, MaxFileBytes + 1 - oldSize);
        bytes.resize(static_cast<qsizetype>(oldSize + want));
        const qint64 got = file.read(bytes.data() + oldSize, want);
        if (got < 0)
            ThrowCannotOpen(fileName);
        bytes.resize(static_cast<qsizetype>(oldSize + got));
        if (bytes.size() > MaxFileBytes)
            ThrowTooLarge();
        if (got == 0)
            return bytes;
    }
}

// CR LF, lone CR, lone LF and the Unicode line and paragraph separators all
// become "\n", in place and in one pass.
void NormalizeLineBreaks(QString& text)
{
    const qsizetype size = text.size();
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    const char16_t* in = begin;
    const char16_t* const end = begin + size;
    char16_t* out = begin;
    while (in < end) {
        const char16_t c = *in++;
        if (c == u'\r') {
            *out++ = u'\n';
            if (in < end && *in == u'\n')
                ++in;
        } else if (c == u'\u2028' || c == u'\u2029') {
            *out++ = u'\n';
        } else {
            *out++ = c;
        }
    }
    text.truncate(out - begin);
}

}  // namespace

qsizetype CountChars(const QString& text)
{
    const char16_t* begin = reinterpret_cast<const char16_t*>(text.constData());
    return text.size() + std::count(begin, begin + text.size(), u'\n');
}

QString ReadTextFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        ThrowCannotOpen(fileName);
    QByteArray bytes = ReadLimited(file, fileName);
    file.close();
    if (bytes.contains('\0'))
        throw VexloError(QStringLiteral("Datei %1 ist keine Textdatei und kann nicht geöffnet werden").arg(fileName));
    QString text = TextCodec::Decode(bytes);
    bytes = QByteArray();  // the raw bytes are no longer needed
    NormalizeLineBreaks(text);
    if (CountChars(text) > MemoCapacity)
        ThrowTooLarge();
    return text;
}

void WriteTextFile(const QString& fileName, const QString& text)
{
    // A text that begins with U+FEFF gets a byte-order mark, or reading it
    // back would take that character for one and drop it.
    const QByteArray utf8 =
        (text.startsWith(QChar(0xFEFF)) ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    QByteArray bytes(utf8.size() + std::count(utf8.begin(), utf8.end(), '\n'), Qt::Uninitialized);
    char* out = bytes.data();
    for (const char c : utf8) {
        if (c == '\n')
            *out++ = '\r';
        *out++ = c;
    }

    // Unbuffered, so that a short write (disk full, size limit) shows in
    // write()'s result: a buffered QSaveFile drops the rest silently on commit.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        file.cancelWriting();
        throw VexloError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(fileName));
    }
}
