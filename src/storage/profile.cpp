#include "storage/profile.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "framework/AtomicFile.h"
#include "framework/RegularFile.h"
#include "framework/TextCodec.h"
#include "framework/VexloError.h"

namespace {

// A settings file is a few kilobytes; anything beyond this is not one, and
// holding it in memory (or rewriting it) would only do harm.
constexpr qsizetype MaxFileSize = 64 * 1024 * 1024;

constexpr qsizetype MaxValueLength = IniMaxValueLength;

// The key list of a section fits a buffer of this many bytes: each name and
// its terminating zero, plus one final zero. A name that fills the buffer to
// the last byte is cut short, so it and the keys after it are not seen.
constexpr qsizetype KeyListBufferSize = 16384;

const QByteArray Bom("\xEF\xBB\xBF");
const QByteArray NewLine("\r\n");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The part of [begin, end) without blanks on either side.
void TrimBlanks(const char* data, qsizetype& begin, qsizetype& end)
{
    while (begin < end && IsBlank(data[begin]))
        ++begin;
    while (end > begin && IsBlank(data[end - 1]))
        --end;
}

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

// What a line of a section says about a key: its name and, after the first
// "=", its value (both still in the file's bytes).
struct KeyParts {
    qsizetype nameBegin = 0, nameEnd = 0;
    qsizetype valueBegin = 0, valueEnd = 0;
};

// False for blank lines, comment lines, lines that open a section and lines
// without "=".
bool SplitKeyLine(const QByteArray& bytes, qsizetype start, qsizetype length, KeyParts& parts)
{
    const char* data = bytes.constData();
    qsizetype begin = start;
    qsizetype end = start + length;
    TrimBlanks(data, begin, end);
    if (begin == end || data[begin] == ';' || data[begin] == '[')
        return false;
    // A line without "=" holds no key, whatever word it holds.
    const void* found = std::memchr(data + begin, '=', static_cast<size_t>(end - begin));
    if (!found)
        return false;
    const qsizetype equals = static_cast<const char*>(found) - data;
    parts.nameBegin = begin;
    parts.nameEnd = equals;
    TrimBlanks(data, parts.nameBegin, parts.nameEnd);
    parts.valueBegin = equals + 1;
    parts.valueEnd = end;
    TrimBlanks(data, parts.valueBegin, parts.valueEnd);
    return true;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

// A value must stay on its own line: line breaks would cut it in two (and the
// second half could pose as a section), and a zero ends it for every reader.
QString OneLineValue(const QString& value)
{
    QString text = value;
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

namespace {

VexloError CannotWrite(const QString& fileName)
{
    return VexloError(QStringLiteral("In %1 kann nicht geschrieben werden").arg(fileName));
}

}  // namespace

bool TryStrToInt(const QString& text, std::int32_t& value)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && IsBlank(text[i]))
        ++i;
    bool sign = false;
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        sign = true;
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < size && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < size && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if ((base == 16 && sign) || i == size)
        return false;
    const std::int64_t limit = negative ? std::int64_t(1) << 31 : (std::int64_t(1) << 31) - 1;
    std::int64_t magnitude = 0;
    for (; i < size; ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::int32_t StrToInt(const QString& text)
{
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw VexloError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return value;
}

IniFile::IniFile(QString fileName) : m_fileName(std::move(fileName))
{
    if (!QFileInfo::exists(m_fileName))
        return;  // a write creates it
    // Directories, devices and pipes are no settings file; the reader refuses them.
    QByteArray bytes;
    if (RegularFile::ReadAll(m_fileName, MaxFileSize, bytes) != RegularFile::ReadResult::Ok) {
        m_unreadable = true;
        return;
    }
    if (bytes.startsWith(Bom)) {
        m_hasBom = true;
        bytes.remove(0, Bom.size());
    }
    m_windows1252 = !TextCodec::IsValidUtf8(bytes);
    m_bytes = std::move(bytes);
}

IniFile::LineSpan IniFile::lineAt(qsizetype start) const
{
    const char* data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    LineSpan line;
    line.start = start;
    qsizetype i = start;
    while (i < size && data[i] != '\n' && data[i] != '\r')
        ++i;
    line.length = i - start;
    if (i < size)
        line.endingLength = (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
    return line;
}

QString IniFile::decode(qsizetype start, qsizetype length) const
{
    const QByteArray part = QByteArray::fromRawData(m_bytes.constData() + start, length);
    return m_windows1252 ? TextCodec::DecodeWindows1252(part) : TextCodec::DecodeUtf8(part);
}

bool IniFile::sectionNameOf(const LineSpan& line, QString& name) const
{
    const char* data = m_bytes.constData();
    qsizetype begin = line.start;
    qsizetype end = line.start + line.length;
    TrimBlanks(data, begin, end);
    if (begin == end || data[begin] != '[')
        return false;
    qsizetype close = end - 1;
    while (close > begin && data[close] != ']')
        --close;
    if (close == begin)
        return false;  // "[" without "]" opens no section
    qsizetype nameBegin = begin + 1;
    qsizetype nameEnd = close;
    TrimBlanks(data, nameBegin, nameEnd);
    name = decode(nameBegin, nameEnd - nameBegin);
    return true;
}

bool IniFile::findSection(const QString& section, LineSpan& header) const
{
    QString name;
    for (qsizetype pos = 0; pos < m_bytes.size();) {
        const LineSpan line = lineAt(pos);
        if (sectionNameOf(line, name) && SameName(name, section)) {
            header = line;
            return true;
        }
        pos = line.next();
    }
    return false;
}

bool IniFile::findKey(const LineSpan& header, const QString& key, LineSpan& keyLine, QString& keyName) const
{
    QString name;
    for (qsizetype pos = header.next(); pos < m_bytes.size();) {
        const LineSpan line = lineAt(pos);
        if (sectionNameOf(line, name))
            return false;
        KeyParts parts;
        if (SplitKeyLine(m_bytes, line.start, line.length, parts)) {
            name = decode(parts.nameBegin, parts.nameEnd - parts.nameBegin);
            if (SameName(name, key)) {
                keyLine = line;
                keyName = name;
                return true;
            }
        }
        pos = line.next();
    }
    return false;
}

bool IniFile::ValueExists(const QString& section, const QString& key) const
{
    LineSpan header;
    if (m_unreadable || !findSection(section, header))
        return false;
    QString name;
    qsizetype listed = 1;  // the list's final zero
    for (qsizetype pos = header.next(); pos < m_bytes.size();) {
        const LineSpan line = lineAt(pos);
        if (sectionNameOf(line, name))
            return false;
        KeyParts parts;
        if (SplitKeyLine(m_bytes, line.start, line.length, parts) && parts.nameEnd > parts.nameBegin) {
            listed += parts.nameEnd - parts.nameBegin + 1;
            if (listed >= KeyListBufferSize)
                return false;
            if (SameName(decode(parts.nameBegin, parts.nameEnd - parts.nameBegin), key))
                return true;
        }
        pos = line.next();
    }
    return false;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& fallback) const
{
    LineSpan header;
    LineSpan line;
    QString name;
    if (m_unreadable || !findSection(section, header) || !findKey(header, key, line, name))
        return fallback;
    KeyParts parts;
    SplitKeyLine(m_bytes, line.start, line.length, parts);
    // Decode no more than can be returned: a value may be megabytes long.
    const qsizetype length = qMin(parts.valueEnd - parts.valueBegin, MaxValueLength * 4);
    QString value = decode(parts.valueBegin, length);
    const qsizetype zero = value.indexOf(QChar(0));
    if (zero >= 0)
        value.truncate(zero);
    if (value.size() > MaxValueLength) {
        qsizetype cut = MaxValueLength;
        if (value[cut - 1].isHighSurrogate())
            --cut;  // never half a character
        value.truncate(cut);
    }
    return value;
}

std::int32_t IniFile::ReadInteger(const QString& section, const QString& key, std::int32_t fallback) const
{
    QString text = ReadString(section, key, QString());
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text.replace(0, 2, QStringLiteral("$"));
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

void IniFile::ensureEncodable(const QString& text)
{
    QByteArray unused;
    if (!m_windows1252 || TextCodec::EncodeWindows1252(text, unused))
        return;
    // A character the old code page lacks: the whole file becomes UTF-8.
    m_bytes = TextCodec::DecodeWindows1252(m_bytes).toUtf8();
    m_windows1252 = false;
    m_dirty = true;
}

QByteArray IniFile::encode(const QString& text) const
{
    QByteArray bytes;
    if (m_windows1252 && TextCodec::EncodeWindows1252(text, bytes))
        return bytes;
    return text.toUtf8();
}

void IniFile::splice(qsizetype start, qsizetype length, const QByteArray& bytes)
{
    m_bytes.replace(start, length, bytes);
    m_dirty = true;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (m_unreadable) {
        m_dirty = true;  // UpdateFile refuses: the file's content is not ours to replace
        return;
    }
    const QString text = OneLineValue(value);
    ensureEncodable(section + key + text);

    LineSpan header;
    if (!findSection(section, header)) {
        QByteArray tail;
        if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r'))
            tail += NewLine;
        tail += encode(QLatin1Char('[') + section + QLatin1Char(']')) + NewLine;
        tail += encode(key + QLatin1Char('=') + text) + NewLine;
        splice(m_bytes.size(), 0, tail);
        return;
    }

    LineSpan keyLine;
    QString keyName;
    if (findKey(header, key, keyLine, keyName)) {
        // The line's ending too: a written line always ends in CR LF.
        const QByteArray line = encode(keyName + QLatin1Char('=') + text) + NewLine;
        const qsizetype oldLength = keyLine.length + keyLine.endingLength;
        if (QByteArray::fromRawData(m_bytes.constData() + keyLine.start, oldLength) != line)
            splice(keyLine.start, oldLength, line);
        return;
    }

    // The new key goes after the section's last non-blank line.
    LineSpan last = header;
    QString name;
    for (qsizetype pos = header.next(); pos < m_bytes.size();) {
        const LineSpan line = lineAt(pos);
        if (sectionNameOf(line, name))
            break;
        qsizetype begin = line.start;
        qsizetype end = line.start + line.length;
        TrimBlanks(m_bytes.constData(), begin, end);
        if (begin < end)
            last = line;
        pos = line.next();
    }
    QByteArray insert;
    if (last.endingLength == 0)
        insert += NewLine;
    insert += encode(key + QLatin1Char('=') + text) + NewLine;
    splice(last.next(), 0, insert);
}

void IniFile::WriteInteger(const QString& section, const QString& key, std::int32_t value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::UpdateFile()
{
    if (!m_dirty)
        return;
    if (m_unreadable)
        throw CannotWrite(m_fileName);
    keepEncoding();
    AtomicFile file(m_fileName);
    if (m_hasBom)
        file.write(Bom);
    file.write(m_bytes);
    if (!file.commit())
        throw CannotWrite(m_fileName);
    m_dirty = false;
}

void IniFile::keepEncoding()
{
    // The next reader decides the encoding afresh. Windows-1252 bytes that
    // now pass as UTF-8 (the one byte that did not is gone) would be read as
    // UTF-8, so such a file is written as UTF-8 to read as it did.
    if (!m_windows1252 || !TextCodec::IsValidUtf8(m_bytes))
        return;
    if (std::all_of(m_bytes.cbegin(), m_bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    m_bytes = TextCodec::DecodeWindows1252(m_bytes).toUtf8();
    m_windows1252 = false;
}
