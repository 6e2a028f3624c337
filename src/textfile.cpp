#include "textfile.h"

#include <QByteArray>
#include <algorithm>

#include "framework/AtomicFile.h"
#include "framework/RegularFile.h"
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

}  // namespace

qsizetype CountChars(const QString& text)
{
    const char16_t* begin = reinterpret_cast<const char16_t*>(text.constData());
    return text.size() + std::count(begin, begin + text.size(), u'\n');
}

QString ReadTextFile(const QString& fileName)
{
    TextCodec::DecodedText decoded;
    {
        QByteArray bytes;
        switch (RegularFile::Read(fileName, MaxFileBytes, bytes)) {
            case RegularFile::ReadResult::CannotOpen:
                ThrowCannotOpen(fileName);
            case RegularFile::ReadResult::TooLarge:
                ThrowTooLarge();
            case RegularFile::ReadResult::Ok:
                break;
        }
        decoded = TextCodec::DecodeText(bytes);
    }  // the raw bytes go before the text is handed on
    if (decoded.hasNul)
        throw VexloError(QStringLiteral("Datei %1 ist keine Textdatei und kann nicht geöffnet werden").arg(fileName));
    if (decoded.text.size() + decoded.lineBreaks > MemoCapacity)
        ThrowTooLarge();
    return std::move(decoded.text);
}

void WriteTextFile(const QString& fileName, const QString& text)
{
    // A text that begins with U+FEFF keeps it only behind a byte-order mark,
    // for the reader drops one mark.
    AtomicFile file(fileName);
    if (text.startsWith(QChar(0xFEFF)))
        file.write("\xEF\xBB\xBF");
    // In pieces: the whole text is never held a second time in full.
    constexpr qsizetype Piece = 1 << 16;
    QByteArray bytes;
    for (qsizetype start = 0; start < text.size() && file.error() == 0;) {
        qsizetype length = qMin(Piece, text.size() - start);
        if (start + length < text.size() && text.at(start + length - 1).isHighSurrogate())
            ++length;  // never half a character
        const QByteArray utf8 = QStringView(text).mid(start, length).toUtf8();
        bytes.resize(utf8.size() + std::count(utf8.begin(), utf8.end(), '\n'));
        char* out = bytes.data();
        for (const char c : utf8) {
            if (c == '\n')
                *out++ = '\r';
            *out++ = c;
        }
        file.write(bytes);
        start += length;
    }
    if (!file.commit())
        throw VexloError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(fileName));
}
