#include "spelling/personalwords.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "framework/AtomicFile.h"
#include "framework/RegularFile.h"
#include "framework/VexloError.h"
#include "storage/settingsdir.h"

namespace {

// Far above any list a person keeps by hand.
constexpr qint64 MaxListBytes = 16 * 1024 * 1024;

}  // namespace

QString PersonalWordListPath()
{
    // A relative path in the variable is not to be used, as for every XDG folder.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/vexloed/woerterbuch.txt"));
}

QStringList ReadPersonalWords(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return {};
    QByteArray bytes;
    if (RegularFile::ReadAll(fileName, MaxListBytes, bytes) != RegularFile::ReadResult::Ok)
        throw VexloError(QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(fileName));
    QStringList words;
    QSet<QString> seen;
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n')) {
        const QString word = line.trimmed();
        if (!word.isEmpty() && !seen.contains(word)) {
            seen.insert(word);
            words.append(word);
        }
    }
    return words;
}

void WritePersonalWords(const QString& fileName, const QStringList& words)
{
    const QString message = QStringLiteral("In %1 kann nicht geschrieben werden").arg(fileName);
    if (MakeDirectoryPath(QFileInfo(fileName).absolutePath()) != 0)
        throw VexloError(message);
    QByteArray bytes;
    for (const QString& word : words)
        bytes += word.toUtf8() + '\n';
    AtomicFile file(fileName);
    if (!file.write(bytes) || !file.commit())
        throw VexloError(message);
}
