#include "framework/SpellDictionary.h"

#include <hunspell.h>

#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include "framework/VexloError.h"

namespace {

QString AffixFile(const QString& base)
{
    return base + QStringLiteral(".aff");
}

QString WordFile(const QString& base)
{
    return base + QStringLiteral(".dic");
}

}  // namespace

// hunspell's C functions, looked up in the library opened at run time.
struct SpellDictionary::Library {
    QLibrary library{QStringLiteral(HUNSPELL_SONAME)};
    decltype(&Hunspell_create) create = nullptr;
    decltype(&Hunspell_destroy) destroy = nullptr;
    decltype(&Hunspell_get_dic_encoding) encoding = nullptr;
    decltype(&Hunspell_spell) spell = nullptr;
    decltype(&Hunspell_suggest) suggest = nullptr;
    decltype(&Hunspell_free_list) freeList = nullptr;
    decltype(&Hunspell_add) add = nullptr;

    template <typename Function>
    void resolve(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(library.resolve(name));
        if (!function)
            throw VexloError(QStringLiteral("Rechtschreibprüfung nicht verfügbar: %1").arg(library.errorString()));
    }
};

bool SpellDictionary::Exists(const QString& base)
{
    const QFileInfo affix(AffixFile(base));
    const QFileInfo words(WordFile(base));
    return !base.isEmpty() && affix.isFile() && affix.isReadable() && words.isFile() && words.isReadable();
}

SpellDictionary::SpellDictionary(const QString& base)
{
    // Hunspell takes a missing file for an empty one and knows no word at all.
    if (!Exists(base))
        throw VexloError(QStringLiteral("Wörterbuch %1 nicht gefunden").arg(base));
    m_library = std::make_unique<Library>();
    Library& api = *m_library;
    api.resolve(api.create, "Hunspell_create");
    api.resolve(api.destroy, "Hunspell_destroy");
    api.resolve(api.encoding, "Hunspell_get_dic_encoding");
    api.resolve(api.spell, "Hunspell_spell");
    api.resolve(api.suggest, "Hunspell_suggest");
    api.resolve(api.freeList, "Hunspell_free_list");
    api.resolve(api.add, "Hunspell_add");
    m_hunspell =
        api.create(QFile::encodeName(AffixFile(base)).constData(), QFile::encodeName(WordFile(base)).constData());
    const QString encoding = QString::fromLatin1(api.encoding(m_hunspell)).toUpper();
    m_utf8 = encoding == QLatin1String("UTF-8") || encoding == QLatin1String("UTF8");
}

SpellDictionary::~SpellDictionary()
{
    if (m_hunspell)
        m_library->destroy(m_hunspell);
}

// Dictionaries that are not UTF-8 are single-byte; those in use are Latin-1 alike.
std::string SpellDictionary::encode(QStringView word) const
{
    return m_utf8 ? word.toUtf8().toStdString() : word.toLatin1().toStdString();
}

QString SpellDictionary::decode(const std::string& word) const
{
    return m_utf8 ? QString::fromStdString(word) : QString::fromLatin1(word.data(), qsizetype(word.size()));
}

bool SpellDictionary::check(QStringView word)
{
    return m_library->spell(m_hunspell, encode(word).c_str()) != 0;
}

QStringList SpellDictionary::suggest(QStringView word)
{
    QStringList result;
    char** list = nullptr;
    const int count = m_library->suggest(m_hunspell, &list, encode(word).c_str());
    for (int i = 0; i < count; ++i)
        result.append(decode(list[i]));
    m_library->freeList(m_hunspell, &list, count);
    return result;
}

void SpellDictionary::add(const QString& word)
{
    m_library->add(m_hunspell, encode(word).c_str());
}
