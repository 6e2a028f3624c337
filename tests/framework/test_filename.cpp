// File names that are no UTF-8 reach the file they name, whichever way they
// come: the command line, a drop, the file dialogs.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/commandline.h"
#include "framework/FileDrop.h"
#include "framework/FileName.h"
#include "storage/textfile.h"
#include "testsupport.h"

namespace {

// Qt's own file functions would lose the bytes that are no UTF-8.
void WriteBytes(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray ReadBytes(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    char buffer[64];
    const ssize_t n = fd >= 0 ? ::read(fd, buffer, sizeof buffer) : -1;
    if (fd >= 0)
        ::close(fd);
    return n < 0 ? QByteArray("<unreadable>") : QByteArray(buffer, n);
}

QList<QByteArray> Entries(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.' || (entry->d_name[1] != 0 && entry->d_name[1] != '.'))
                names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

}  // namespace

class TestFileName : public QObject {
    Q_OBJECT

private slots:
    // Every byte string comes back as it was; UTF-8 reads as UTF-8.
    void bytesComeBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("utf8");  // the decoded name, when it is UTF-8
        QTest::newRow("ASCII") << QByteArray("/tmp/a b.txt") << QStringLiteral("/tmp/a b.txt");
        QTest::newRow("UTF-8 with an emoji")
            << QByteArray("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80") << QStringLiteral("grüß \U0001F600");
        QTest::newRow("Latin-1") << QByteArray("gr\xF6\xDF.txt") << QString();
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF") << QString();
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB3\xB6") << QString();
        QTest::newRow("cut sequence at the end") << QByteArray("x\xE2\x82") << QString();
        QTest::newRow("past Unicode") << QByteArray("\xF4\x90\x80\x80") << QString();
    }
    void bytesComeBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, utf8);
        const QString name = FileName::Decode(bytes);
        QCOMPARE(FileName::Encode(name), bytes);
        if (!utf8.isNull())
            QCOMPARE(name, utf8);
        QCOMPARE(FileName::Display(name), QString::fromUtf8(bytes));
    }

    // A Latin-1 name, in a folder with such a name too, opens and is saved
    // over however the user names it.
    void latin1NameReachesTheFile_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : {"command line", "drop", "open dialog", "save dialog"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void latin1NameReachesTheFile()
    {
        QFETCH(QString, way);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xC4rger";
        const QByteArray path = folder + "/gr\xF6\xDF.txt";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        WriteBytes(path, "alt");

        QString name;
        if (way == QLatin1String("command line")) {
            const char* argv[] = {"vexloed", path.constData()};
            name = ParseCommandLine(FileName::Arguments(2, const_cast<char**>(argv))).fileName;
        } else if (way == QLatin1String("drop")) {
            QMimeData data;
            data.setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
            name = DroppedFile(&data);
        } else {
            // Qt's dialog shows and hands back each byte that is no UTF-8 as U+FFFD.
            name = FileName::FromShownName(QFile::decodeName(path));
        }
        QCOMPARE(FileName::Encode(name), path);
        QCOMPARE(ReadTextFile(name), QStringLiteral("alt"));
        WriteTextFile(name, QStringLiteral("neu"));
        QCOMPARE(Entries(folder), QList<QByteArray>{"gr\xF6\xDF.txt"});
        QCOMPARE(ReadBytes(path), QByteArray("neu"));
    }
};

VEXLO_TEST_MAIN(TestFileName)
#include "test_filename.moc"
