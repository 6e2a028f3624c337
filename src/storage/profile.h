#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The reader hands back at most this many characters (UTF-16 units) of a value.
constexpr int IniMaxValueLength = 2047;

// A value as it is written: one line, so line breaks become blanks, and a
// zero ends it.
QString OneLineValue(const QString& value);

// The integer conversion of the settings file and the limit fields: leading
// blanks skipped, then decimal digits with an optional sign, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; the value must fit 32 bits signed.
bool TryStrToInt(const QString& text, std::int32_t& value);
// As TryStrToInt; throws "'%s' ist kein gültiger Integerwert" on failure.
std::int32_t StrToInt(const QString& text);

// An INI file held in memory. The file is read once when the object is made;
// writes change the bytes in memory (later reads see them) and UpdateFile
// replaces the file once, atomically, with every untouched byte left as it was.
// Section and key names match without regard to letter case.
class IniFile {
public:
    explicit IniFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    std::int32_t ReadInteger(const QString& section, const QString& key, std::int32_t fallback) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, std::int32_t value);

    // Throws "In %s kann nicht geschrieben werden" when the system refuses.
    void UpdateFile();

private:
    // One line of m_bytes: where it starts, how long its text is, and how many
    // bytes its ending takes (2 for CR LF, 1 for CR or LF, 0 at the end).
    struct LineSpan {
        qsizetype start = 0;
        qsizetype length = 0;
        qsizetype endingLength = 0;
        qsizetype next() const { return start + length + endingLength; }
    };
    LineSpan lineAt(qsizetype start) const;
    QString decode(qsizetype start, qsizetype length) const;
    bool sectionNameOf(const LineSpan& line, QString& name) const;
    bool findSection(const QString& section, LineSpan& header) const;
    bool findKey(const LineSpan& header, const QString& key, LineSpan& keyLine, QString& keyName) const;
    void ensureEncodable(const QString& text);
    void keepEncoding();
    QByteArray encode(const QString& text) const;
    void splice(qsizetype start, qsizetype length, const QByteArray& bytes);

    QString m_fileName;
    QByteArray m_bytes;  // the file as read, without a byte-order mark, changed by the writes
    bool m_hasBom = false;
    bool m_windows1252 = false;
    bool m_unreadable = false;
    bool m_dirty = false;
};
