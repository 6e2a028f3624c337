#include "framework/FileName.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <memory>

namespace {

constexpr char16_t EscapeBase = 0xDC00;  // + a byte of 0x80 to 0xFF

// The length of the valid UTF-8 sequence at data, or 0 when there is none.
int Utf8SequenceLength(const unsigned char* data, qsizetype left, char32_t& codePoint)
{
    const unsigned char lead = data[0];
    int length;
    char32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((data[i] & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (data[i] & 0x3F);
    }
    // Overlong forms, encoded surrogates (they would pass for escapes) and
    // values past Unicode are no UTF-8.
    if (codePoint < minimum || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return 0;
    return length;
}

QByteArray CurrentDirectory()
{
    std::unique_ptr<char, decltype(&::free)> path(::getcwd(nullptr, 0), &::free);
    return path ? QByteArray(path.get()) : QByteArray("/");
}

bool Exists(const QByteArray& path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

// The one entry of folder that Qt shows as shown, or an empty name.
QByteArray EntryShownAs(const QByteArray& folder, const QString& shown)
{
    struct Closer {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    const std::unique_ptr<DIR, Closer> dir(::opendir(folder.isEmpty() ? "/" : folder.constData()));
    if (!dir)
        return QByteArray();
    QByteArray found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (QFile::decodeName(name) != shown)
            continue;
        if (!found.isEmpty())
            return QByteArray();  // two files look alike: neither is meant for certain
        found = name;
    }
    return found;
}

}  // namespace

namespace FileName {

QByteArray Encode(const QString& name)
{
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF) {
            bytes.append(char(c - EscapeBase));
            continue;
        }
        // Everything else (a surrogate pair as one) as UTF-8.
        const qsizetype length = QChar::isHighSurrogate(c) && i + 1 < size && name.at(i + 1).isLowSurrogate() ? 2 : 1;
        bytes.append(QStringView(name).mid(i, length).toUtf8());
        i += length - 1;
    }
    return bytes;
}

QString Decode(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        char32_t codePoint = 0;
        const int length = Utf8SequenceLength(data + i, size - i, codePoint);
        if (length == 0) {
            name.append(QChar(char16_t(EscapeBase + data[i])));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            name.append(QChar(QChar::highSurrogate(codePoint)));
            name.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            name.append(QChar(char16_t(codePoint)));
        }
        i += length;
    }
    return name;
}

QString Display(const QString& name)
{
    return QString::fromUtf8(Encode(name));
}

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << Decode(QByteArray(argv[i]));
    return arguments;
}

QString Absolute(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')))
        return name;
    QString absolute = Decode(CurrentDirectory());
    if (!absolute.endsWith(QLatin1Char('/')))
        absolute += QLatin1Char('/');
    return absolute + name;
}

QString FromShownName(const QString& name)
{
    if (!name.contains(QChar::ReplacementCharacter) || Exists(Encode(name)))
        return name;
    // Folder by folder: each part Qt has shown with U+FFFD stands for the
    // one entry there that it shows so.
    const QStringList parts = name.split(QLatin1Char('/'));
    QByteArray path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path += '/';
        const QByteArray part = Encode(parts[i]);
        if (!parts[i].contains(QChar::ReplacementCharacter) || Exists(path + part)) {
            path += part;
            continue;
        }
        const QByteArray entry = EntryShownAs(path.chopped(path.endsWith('/') ? 1 : 0), parts[i]);
        if (entry.isEmpty())
            return name;
        path += entry;
    }
    return Decode(path);
}

}  // namespace FileName
