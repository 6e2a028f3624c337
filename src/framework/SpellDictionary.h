#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

struct Hunhandle;

// A hunspell dictionary, the thin layer over the library: words in and out
// as Qt strings. Hunspell keeps scratch state in the object, so one thread
// owns a dictionary at a time. The library is opened with the first
// dictionary, not with the program: the window shows before it is needed.
class SpellDictionary {
public:
    // Reads base + ".aff" and base + ".dic"; throws VexloError when either
    // is missing or unreadable, or the library cannot be opened.
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

    struct Library;
    std::unique_ptr<Library> m_library;
    Hunhandle* m_hunspell = nullptr;
    bool m_utf8 = true;
};
