#include "storage/textfile.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>

#include "framework/AtomicFile.h"
#include "framework/FileName.h"
#include "framework/RegularFile.h"
#include "framework/TextCodec.h"
#include "framework/VexloError.h"
#include "storage/fileerror.h"

namespace {

// No UTF-8 or Windows-1252 text of MemoCapacity counted characters takes more
// than this many bytes, so a larger file is refused before it is read.
constexpr qint64 MaxFileBytes = 4 * static_cast<qint64>(MemoCapacity);

[[noreturn]] void ThrowCannotOpen(const QString& fileName, int error)
{
    // A file standing where a folder of the path should be: no such file.
    throw VexloError(QStringLiteral("Datei %1 kann nicht geöffnet werden: %2")
                         .arg(FileName::Display(fileName), FileErrorReason(error == ENOTDIR ? ENOENT : error)));
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

QString ReadTextFile(const QString& fileName, bool utf8Only)
{
    RegularFile file(fileName);
    if (!file.isOpen())
        ThrowCannotOpen(fileName, file.error());
    if (file.size() > MaxFileBytes)
        ThrowTooLarge();
    // Read and decoded piece by piece: the file's bytes are never held whole.
    constexpr qint64 Piece = 256 * 1024;
    QByteArray piece(Piece, Qt::Uninitialized);
    for (const bool windows1252 : {false, true}) {
        if (windows1252 && !file.rewind())
            ThrowCannotOpen(fileName, errno);
        TextCodec::TextDecoder decoder(windows1252, file.size());
        qint64 total = 0;
        bool decoded = true;
        for (;;) {
            const qint64 got = file.read(piece.data(), Piece);
            if (got < 0)
                ThrowCannotOpen(fileName, errno);
            if (got == 0)
                break;
            total += got;
            if (total > MaxFileBytes || decoder.size() + decoder.lineBreaks() > MemoCapacity)
                ThrowTooLarge();
            if (!decoder.feed(QByteArrayView(piece.constData(), got))) {
                decoded = false;
                break;
            }
        }
        if (decoder.hasNul())
            throw VexloError(QStringLiteral("Datei %1 ist keine Textdatei und kann nicht geöffnet werden")
                                 .arg(FileName::Display(fileName)));
        if (decoded && decoder.finish()) {
            if (decoder.size() + decoder.lineBreaks() > MemoCapacity)
                ThrowTooLarge();
            return decoder.take().text;
        }
        if (utf8Only)
            throw VexloError(QStringLiteral("Datei %1 ist kein gültiger UTF-8-Text").arg(fileName));
        // Not UTF-8: once more from the start, as Windows-1252.
    }
    ThrowCannotOpen(fileName, EIO);  // Windows-1252 takes every byte; not reached
}

void WriteTextFile(const QString& fileName, const QString& text)
{
    bool given = false;
    WriteTextFileInParts(fileName, [&]() -> std::optional<QString> {
        if (given)
            return std::nullopt;
        given = true;
        return text;
    });
}

void WriteTextFileInParts(const QString& fileName, const std::function<std::optional<QString>()>& next)
{
    AtomicFile file(fileName);
    // In pieces: the whole text is never held a second time in full.
    constexpr qsizetype Piece = 1 << 16;
    QByteArray bytes;
    QString carried;  // a high surrogate a part ended with
    bool first = true;
    for (std::optional<QString> given = next(); given && file.error() == 0; given = next()) {
        QString part = std::move(*given);
        if (!carried.isEmpty())
            part.prepend(std::exchange(carried, QString()));
        // A text that begins with U+FEFF keeps it only behind a byte-order
        // mark, for the reader drops one mark.
        if (first && part.startsWith(QChar(0xFEFF)))
            file.write("\xEF\xBB\xBF");
        first = first && part.isEmpty();
        qsizetype size = part.size();
        if (size > 0 && part.at(size - 1).isHighSurrogate()) {
            carried = part.right(1);  // never half a character
            --size;
        }
        for (qsizetype start = 0; start < size && file.error() == 0;) {
            qsizetype length = qMin(Piece, size - start);
            if (start + length < size && part.at(start + length - 1).isHighSurrogate())
                ++length;
            const QByteArray utf8 = QStringView(part).mid(start, length).toUtf8();
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
    }
    if (!carried.isEmpty())
        file.write(carried.toUtf8());
    if (!file.commit())
        throw VexloError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(FileName::Display(fileName)));
}
