#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "storage/textfile.h"
#include "testsupport.h"

class TestTextFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void countChars_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("count");
        QTest::newRow("empty") << QString() << qsizetype(0);
        QTest::newRow("two, break, one") << QStringLiteral("ab\nc") << qsizetype(5);
        QTest::newRow("only breaks") << QStringLiteral("\n\n") << qsizetype(4);
        QTest::newRow("umlauts count one each") << QStringLiteral("äöü") << qsizetype(3);
        QTest::newRow("emoji counts two") << QStringLiteral("\U0001F600") << qsizetype(2);
    }
    void countChars()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, count);
        QCOMPARE(CountChars(text), count);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("LF") << QByteArray("eins\nzwei\n") << QStringLiteral("eins\nzwei\n");
        QTest::newRow("CR LF") << QByteArray("eins\r\nzwei") << QStringLiteral("eins\nzwei");
        QTest::newRow("lone CR") << QByteArray("eins\rzwei\r") << QStringLiteral("eins\nzwei\n");
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringLiteral("a\n\nb");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringLiteral("a\n\nb");
        QTest::newRow("mixed") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
        QTest::newRow("unicode separators") << QByteArray(
                                                   "a\xE2\x80\xA8"
                                                   "b\xE2\x80\xA9"
                                                   "c")
                                            << QStringLiteral("a\nb\nc");
        QTest::newRow("utf8 with bom") << QByteArray("\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F\r\n") << QStringLiteral("Grüß\n");
        QTest::newRow("invalid utf8 is cp1252")
            << QByteArray("\x84Gr\xFC\xDF\x93 \x80\r\n") << QStringLiteral("„Grüß“ €\n");
        QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80") << QStringLiteral("\U0001F600");
        QTest::newRow("only one bom dropped") << QByteArray(
                                                     "\xEF\xBB\xBF\xEF\xBB\xBF"
                                                     "a")
                                              << QStringLiteral("\uFEFFa");
    }
    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString name = Path("read.txt");
        WriteFileBytes(name, bytes);
        QCOMPARE(ReadTextFile(name), text);
    }

    void readRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString missing = Path("gone.txt");
        const QString pipe = Path("leitung");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QString binary = Path("bild.bin");
        WriteFileBytes(binary, QByteArray("GIF89a\0\0\x01", 9));
        const QString secret = Path("geheim.txt");
        WriteFileBytes(secret, "geheim");
        QVERIFY(::chmod(QFile::encodeName(secret).constData(), 0) == 0);
        const auto cannotOpen = [](const QString& name, const char* reason) {
            return QStringLiteral("Datei %1 kann nicht geöffnet werden: %2").arg(name, QString::fromUtf8(reason));
        };
        QTest::newRow("vanished file") << missing << cannotOpen(missing, "Die Datei existiert nicht");
        QTest::newRow("directory") << m_dir.path() << cannotOpen(m_dir.path(), "Es ist ein Ordner");
        // Read by another user when the tests run as root, who may read anything.
        QTest::newRow("no permission") << secret << cannotOpen(secret, "Zugriff verweigert");
        // Neither may block the program nor read without end.
        QTest::newRow("named pipe without writer") << pipe << cannotOpen(pipe, "Es ist keine gewöhnliche Datei");
        QTest::newRow("device") << "/dev/null" << cannotOpen("/dev/null", "Es ist keine gewöhnliche Datei");
        QTest::newRow("NUL bytes")
            << binary << QStringLiteral("Datei %1 ist keine Textdatei und kann nicht geöffnet werden").arg(binary);
    }
    void readRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        ::alarm(20);  // a read that blocks ends the test as failed instead of hanging it
        const bool asNobody = ::geteuid() == 0 && QTest::currentDataTag() == QByteArray("no permission");
        const QString shown = TextFromChild([&] {
            const struct passwd* nobody = ::getpwnam("nobody");
            if (asNobody && (!nobody || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0))
                return QStringLiteral("<cannot become nobody>");
            return ErrorOf([&] { ReadTextFile(name); });
        });
        ::alarm(0);
        QCOMPARE(shown, message);
    }

    void readOversized()
    {
        // A sparse file: beyond any text the area takes, refused before reading.
        const QString name = Path("huge.txt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(4 * qint64(MemoCapacity) + 1));
        file.close();
        QCOMPARE(ErrorOf([&] { ReadTextFile(name); }), QStringLiteral("Text überschreitet Memo-Kapazität"));
    }

    void readOverCapacityByCount()
    {
        // Few bytes, but every lone LF counts two: half the capacity plus one
        // line break is over the limit, exactly half is not.
        const QString name = Path("breaks.txt");
        WriteFileBytes(name, QByteArray(MemoCapacity / 2 + 1, '\n'));
        QCOMPARE(ErrorOf([&] { ReadTextFile(name); }), QStringLiteral("Text überschreitet Memo-Kapazität"));
        WriteFileBytes(name, QByteArray(MemoCapacity / 2, '\n'));
        QCOMPARE(CountChars(ReadTextFile(name)), MemoCapacity);
    }

    void writeUsesCrLfWithoutBom()
    {
        const QString name = Path("out.txt");
        WriteTextFile(name, QStringLiteral("Grüß\n\nEnde €"));
        QCOMPARE(ReadFileBytes(name), QByteArray("Gr\xC3\xBC\xC3\x9F\r\n\r\nEnde \xE2\x82\xAC"));
    }

    // A text in parts is written as the same text whole: a character split
    // between two parts, and a leading U+FEFF after an empty part.
    void writeInParts_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("surrogate pair split")
            << QStringList{QStringLiteral("a\n\U0001F600").chopped(1), QString(QChar(0xDE00)) + QStringLiteral("b")};
        QTest::newRow("mark after an empty part") << QStringList{QString(), QStringLiteral("\uFEFFtext")};
        QTest::newRow("lone high surrogate at the end") << QStringList{QStringLiteral("x"), QString(QChar(0xD83D))};
    }
    void writeInParts()
    {
        QFETCH(QStringList, parts);
        const QString whole = m_dir.filePath(QStringLiteral("whole.txt"));
        const QString inParts = m_dir.filePath(QStringLiteral("parts.txt"));
        WriteTextFile(whole, parts.join(QString()));
        qsizetype next = 0;
        WriteTextFileInParts(inParts, [&]() -> std::optional<QString> {
            return next < parts.size() ? std::optional<QString>(parts[next++]) : std::nullopt;
        });
        QCOMPARE(ReadFileBytes(inParts), ReadFileBytes(whole));
    }

    void writeReplacesExistingFile()
    {
        const QString name = Path("replace.txt");
        WriteFileBytes(name, QByteArray("a much longer old content\r\n"));
        WriteTextFile(name, QStringLiteral("neu"));
        QCOMPARE(ReadFileBytes(name), QByteArray("neu"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("lines") << QStringLiteral("eins\nzwei\n\ndrei\n");
        QTest::newRow("non-latin") << QStringLiteral("„Zitat“ – д \U0001F600\n€");
        QTest::newRow("begins with U+FEFF") << QStringLiteral("\uFEFFText");
        QTest::newRow("begins with two U+FEFF") << QStringLiteral("\uFEFF\uFEFF");
        QTest::newRow("starts with U+FEFF") << QStringLiteral("\uFEFFHallo\n");
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        const QString name = Path("round.txt");
        WriteTextFile(name, text);
        QCOMPARE(ReadTextFile(name), text);
    }

    void writeIntoMissingDirectory()
    {
        const QString name = Path("fehlt/neu.txt");
        QCOMPARE(ErrorOf([&] { WriteTextFile(name, QStringLiteral("x")); }),
                 QStringLiteral("Datei %1 kann nicht erstellt werden").arg(name));
        QVERIFY(!QFileInfo::exists(Path("fehlt")));
    }

    void writeOverDirectory()
    {
        const QString name = Path("ordner");
        QVERIFY(QDir(m_dir.path()).mkdir("ordner"));
        QCOMPARE(ErrorOf([&] { WriteTextFile(name, QStringLiteral("x")); }),
                 QStringLiteral("Datei %1 kann nicht erstellt werden").arg(name));
        QVERIFY(QFileInfo(name).isDir());
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("alt.txt");
        WriteFileBytes(name, QByteArray("der alte Text"));
        QString message;
        {
            FileSizeLimit limit(1000);
            QVERIFY(limit.active());
            message = ErrorOf([&] { WriteTextFile(name, QString(5000, QLatin1Char('x'))); });
        }
        QCOMPARE(message, QStringLiteral("Datei %1 kann nicht erstellt werden").arg(name));
        QCOMPARE(ReadFileBytes(name), QByteArray("der alte Text"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"alt.txt"}));
    }
};

VEXLO_TEST_MAIN(TestTextFile)
#include "test_textfile.moc"
