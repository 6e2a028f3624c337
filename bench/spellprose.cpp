// The spell check on real prose: the program's own word splitting and
// dictionary run over text files, and the words it flags counted per 10,000
// words, grouped by what makes them stand out (a path, an elision, a hyphen
// other than "-", a format character, a decomposed letter, a ligature), with
// the most frequent of each group listed. Without files it reads the German
// fortunes (Debian's fortunes-de), the pictures left out. With --pasted the
// prose first takes the shape of text pasted from web pages and PDFs:
// umlauts decomposed, soft hyphens in long words, fi and fl as ligatures,
// U+2010 for "-"; a check that reads it as the writer sees it flags as many.
// With --list it prints instead each flagged word as a reader sees it, one a line,
// for bench/spellprose.sh to hand to the hunspell command line.
// Usage: spellprose [--pasted] [--list] [file...]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTextStream>
#include <algorithm>

#include "framework/SpellDictionary.h"
#include "spelling/spellwords.h"
#include "windows/abouttext.h"

namespace {

const QString FortunesDir = QStringLiteral("/usr/share/games/fortunes/de");

QStringList DefaultFiles()
{
    QStringList files;
    const QDir dir(FortunesDir);
    for (const QString& name : dir.entryList(QDir::Files | QDir::NoSymLinks, QDir::Name))
        if (!name.contains(u'.') && name != QLatin1String("asciiart"))
            files << dir.filePath(name);
    return files;
}

// What sets a flagged word apart, judged from the stretch between blanks it lies in.
QString ClassOf(QStringView stretch, QStringView word)
{
    QStringView core = stretch;
    while (!core.isEmpty() && !core.front().isLetterOrNumber() && core.front() != u'/' && core.front() != u'\\')
        core = core.mid(1);
    if (stretch.contains(u'/') || stretch.contains(u'\\'))
        return QStringLiteral("path or slash");
    if (word.contains(u'\'') || word.contains(u'\u2019'))
        return QStringLiteral("apostrophe");
    if (word.contains(u'\u2010') || word.contains(u'\u2011'))
        return QStringLiteral("hyphen U+2010/U+2011");
    for (const QChar c : word) {
        if (c.category() == QChar::Other_Format)
            return QStringLiteral("format character");
        if (c.decompositionTag() == QChar::Compat)
            return QStringLiteral("ligature");
    }
    if (word.toString().normalized(QString::NormalizationForm_C) != word)
        return QStringLiteral("decomposed");
    if (!core.isEmpty() && core.front().isDigit())
        return QStringLiteral("led by a number");
    if (stretch.count(u'.') > 1 || (stretch.contains(u'.') && !stretch.endsWith(u'.')))
        return QStringLiteral("dot inside");
    if (word.contains(u'-'))
        return QStringLiteral("hyphenated");
    return QStringLiteral("other");
}

// The word a reader sees, worked out here and not by the code measured:
// format characters dropped, U+2010 and U+2011 as "-", then NFKC.
QString Normalised(QString word)
{
    word.removeIf([](QChar c) { return c.category() == QChar::Other_Format; });
    word.replace(u'\u2010', u'-').replace(u'\u2011', u'-');
    return word.normalized(QString::NormalizationForm_KC);
}

// The line as a web page or a PDF hands it over.
QString AsPasted(const QString& line)
{
    QString pasted = line.normalized(QString::NormalizationForm_D);
    pasted.replace(QStringLiteral("fi"), QStringLiteral("\uFB01"))
        .replace(QStringLiteral("fl"), QStringLiteral("\uFB02"));
    QString shaped;
    qsizetype letters = 0;
    for (qsizetype i = 0; i < pasted.size(); ++i) {
        const QChar c = pasted[i];
        letters = c.isLetter() ? letters + 1 : 0;
        const bool between = i > 0 && i + 1 < pasted.size() && pasted[i - 1].isLetter() && pasted[i + 1].isLetter();
        shaped += c == u'-' && between ? QChar(u'\u2010') : c;
        if (letters == 6 && i + 5 < pasted.size() && pasted[i + 1].isLetter() && pasted[i + 5].isLetter())
            shaped += QChar(u'\u00AD');
    }
    return shaped;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool pasted = files.removeAll(QStringLiteral("--pasted")) > 0;
    const bool list = files.removeAll(QStringLiteral("--list")) > 0;
    if (files.isEmpty())
        files = DefaultFiles();
    SpellDictionary dictionary(QStringLiteral("/usr/share/hunspell/de_DE"));
    QSet<QString> accepted;
    for (const QString& word : OwnWords(AboutText()))
        accepted.insert(word);
    QHash<QString, bool> verdicts;
    qint64 words = 0;
    qint64 flagged = 0;
    QMap<QString, QHash<QString, int>> classes;
    QStringList looked;
    for (const QString& path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            QTextStream(stderr) << "cannot read " << path << "\n";
            return 1;
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (QString line : text.split(u'\n')) {
            if (pasted)
                line = AsPasted(line);
            for (const TWordSpan& word : CheckableWords(line)) {
                ++words;
                const QString key = WordKey(line, word);
                auto verdict = verdicts.find(key);
                if (verdict == verdicts.end()) {
                    const bool right =
                        accepted.contains(key) || (key.endsWith(u'.') && accepted.contains(key.chopped(1))) ||
                        SpelledRight(key, [&dictionary](const QString& form) { return dictionary.check(form); });
                    verdict = verdicts.insert(key, right);
                }
                if (*verdict)
                    continue;
                ++flagged;
                looked.append(Normalised(key.startsWith(u'-') ? key.mid(1) : key));
                const qsizetype from = StretchStart(line, word.from);
                const QStringView stretch = QStringView(line).mid(from, StretchEnd(line, word.from) - from);
                const QStringView shown = QStringView(line).mid(word.from, word.to - word.from);
                ++classes[ClassOf(stretch, shown)][shown.toString()];
            }
        }
    }
    QTextStream out(stdout);
    if (list) {
        for (const QString& word : std::as_const(looked))
            out << word << "\n";
        return 0;
    }
    out << files.size() << " files, " << words << " words, " << flagged
        << " flagged: " << QString::number(words ? 1e4 * double(flagged) / double(words) : 0, 'f', 1)
        << " per 10,000 words\n";
    for (auto group = classes.cbegin(); group != classes.cend(); ++group) {
        QVector<std::pair<int, QString>> list;
        int total = 0;
        for (auto entry = group->cbegin(); entry != group->cend(); ++entry) {
            list.append({entry.value(), entry.key()});
            total += entry.value();
        }
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        out << "\n"
            << group.key() << ": " << total << " ("
            << QString::number(words ? 1e4 * double(total) / double(words) : 0, 'f', 1) << " per 10,000)\n ";
        for (qsizetype i = 0; i < std::min<qsizetype>(list.size(), 25); ++i)
            out << " " << list[i].second << "×" << list[i].first;
        out << "\n";
    }
    return 0;
}
