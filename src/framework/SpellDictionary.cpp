#include "framework/SpellDictionary.h"

#include <hunspell.hxx>

#include <QFile>
#include <QFileInfo>

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
    m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(AffixFile(base)).constData(),
                                            QFile::encodeName(WordFile(base)).constData());
    const QString encoding = QString::fromStdString(m_hunspell->get_dict_encoding()).toUpper();
    m_utf8 = encoding == QLatin1String("UTF-8") || encoding == QLatin1String("UTF8");
}

SpellDictionary::~SpellDictionary() = default;

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
    return m_hunspell->spell(encode(word));
}

QStringList SpellDictionary::suggest(QStringView word)
{
    QStringList result;
    for (const std::string& suggestion : m_hunspell->suggest(encode(word)))
        result.append(decode(suggestion));
    return result;
}

void SpellDictionary::add(const QString& word)
{
    m_hunspell->add(encode(word));
}
