#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

class Hunspell;

// A hunspell dictionary, the thin layer over the library: words in and out
// as Qt strings. Hunspell keeps scratch state in the object, so one thread
// owns a dictionary at a time.
class SpellDictionary {
public:
    // Reads base + ".aff" and base + ".dic"; throws VexloError when either
    // is missing or unreadable.
    explicit SpellDictionary(const QString& base);
    ~SpellDictionary();
    SpellDictionary(const SpellDictionary&) = delete;
    SpellDictionary& operator=(const SpellDictionary&) = delete;

    // Whether the files for base are there to be read.
    static bool Exists(const QString& base);

    bool check(QStringView word);
    QStringList suggest(QStringView word);
    // Known from now on, for this object's lifetime.
    void add(const QString& word);

private:
    std::string encode(QStringView word) const;
    QString decode(const std::string& word) const;

    std::unique_ptr<Hunspell> m_hunspell;
    bool m_utf8 = true;
};
