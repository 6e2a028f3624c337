// The settings file: read it, write one key, read it again from disk. Every
// key the write did not name reads as before; the written one reads its value.
#include <QStringList>
#include <vector>

#include "framework/TextCodec.h"
#include "fuzzsupport.h"
#include "storage/profile.h"

namespace {

struct Name {
    QString section;
    QString key;
};

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool SameName(const Name& a, const Name& b)
{
    return a.section.compare(b.section, Qt::CaseInsensitive) == 0 && a.key.compare(b.key, Qt::CaseInsensitive) == 0;
}

// The names a plain line scan finds, and the program's own; a name the reader
// does not see reads as missing before and after alike.
std::vector<Name> NamesIn(QByteArray bytes)
{
    std::vector<Name> names;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString text = TextCodec::IsValidUtf8(bytes) ? TextCodec::DecodeUtf8(bytes) : TextCodec::DecodeWindows1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QString section;
    bool inSection = false;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = TrimBlanks(raw);
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                section = TrimBlanks(line.mid(1, close - 1));
                inSection = true;
            }
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        names.push_back({section, TrimBlanks(equals < 0 ? line : line.left(equals))});
        if (names.size() >= 200)
            break;
    }
    names.push_back({QStringLiteral("Config"), QStringLiteral("GrenzeGB")});
    names.push_back({QStringLiteral("URL"), QStringLiteral("Link1")});
    names.push_back({QStringLiteral("Neu"), QStringLiteral("Eintrag")});
    return names;
}

// What reading back a written value gives: one line, no blanks at either end,
// at most 2047 characters and never half a character.
QString AsReadBack(const QString& value)
{
    QString text;
    for (const QChar c : value) {
        if (c == QChar(0))
            break;
        text += (c == u'\r' || c == u'\n') ? QChar(u' ') : c;
    }
    text = TrimBlanks(text);
    if (text.size() > 2047)
        text.truncate(text[2046].isHighSurrogate() ? 2046 : 2047);
    return text;
}

}  // namespace

// The input: the file, then after its last zero byte the value to write; the
// final byte picks the name to write.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = Bytes(data, size - 1);
    const std::uint8_t pick = data[size - 1];
    QByteArray fileBytes = input;
    QByteArray valueBytes;
    const qsizetype zero = input.lastIndexOf('\0');
    if (zero >= 0) {
        fileBytes = input.left(zero);
        valueBytes = input.mid(zero + 1);
    }
    const QString value = TextCodec::IsValidUtf8(valueBytes) ? TextCodec::DecodeUtf8(valueBytes)
                                                             : TextCodec::DecodeWindows1252(valueBytes);
    const QString path = ScratchFile(QStringLiteral("vexloed.ini"), fileBytes);

    const std::vector<Name> names = NamesIn(fileBytes);
    const Name& target = names[pick % names.size()];
    const QString missing = QStringLiteral("\x01missing");

    std::vector<QString> before;
    {
        const IniFile file(path);
        for (const Name& name : names)
            before.push_back(file.ReadString(name.section, name.key, missing));
    }
    {
        IniFile file(path);
        file.WriteString(target.section, target.key, value);
        file.UpdateFile();
    }
    const IniFile after(path);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!SameName(names[i], target))
            FUZZ_CHECK(after.ReadString(names[i].section, names[i].key, missing) == before[i]);
    }
    FUZZ_CHECK(after.ReadString(target.section, target.key, missing) == AsReadBack(value));
    return 0;
}
