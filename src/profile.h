#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

// The integer conversion of the settings file and the limit fields: leading
// blanks skipped, then decimal digits with an optional sign, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; the value must fit 32 bits signed.
bool TryStrToInt(const QString& text, std::int32_t& value);
// As TryStrToInt; throws "'%s' ist kein gültiger Integerwert" on failure.
std::int32_t StrToInt(const QString& text);

// An INI file held in memory. Reads take the file as it was when the object
// was made; writes change the lines in memory and UpdateFile replaces the
// file once, atomically, with every untouched line left exactly as it was.
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
    struct Line {
        QString text;
        QByteArray ending;  // "\r\n", "\n", "\r" or empty for a last line without one
    };
    int findSection(const QString& section) const;
    int sectionEnd(int sectionLine) const;
    int findKey(const QString& section, const QString& key) const;

    QString m_fileName;
    QVector<Line> m_lines;
    bool m_hasBom = false;
    bool m_windows1252 = false;
    bool m_unreadable = false;
    bool m_dirty = false;
};
