#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "framework/VexloError.h"
#include "spelling/personalwordlist.h"
#include "spelling/personalwords.h"
#include "testsupport.h"

using namespace std::chrono_literals;

namespace {

const QByteArray Replacement("\xEF\xBF\xBD");  // U+FFFD, which must never appear

QString OnlyThisSession(const QString& word)
{
    return QStringLiteral("Das Wort „%1“ gilt nur, bis das Programm endet").arg(word);
}

// Another running copy holding the list's lock for a while; started once it holds it.
class LockHolder {
public:
    LockHolder(const QString& list, int milliseconds)
    {
        m_process.start(QStringLiteral(WORDLIST_CHILD), {QStringLiteral("hold"), list, QString::number(milliseconds)});
        m_locked = m_process.waitForReadyRead(10000) && m_process.readAll() == "locked\n";
    }
    ~LockHolder() { m_process.waitForFinished(10000); }
    bool locked() const { return m_locked; }

private:
    QProcess m_process;
    bool m_locked = false;
};

}  // namespace

class TestPersonalWords : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_list;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        m_list = m_dir.filePath(QStringLiteral("vexloed/woerterbuch.txt"));
    }

    // A list as a person, an older tool or another system wrote it, and one
    // add: every line the user kept stays byte for byte, line ends become LF,
    // and the words read are those the list holds.
    void addKeepsTheList_data()
    {
        QTest::addColumn<QByteArray>("before");  // "-" for no list
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("words");
        const QByteArray neu("Neuwort\n");
        QTest::newRow("no list") << QByteArray("-") << neu << QStringList{"Neuwort"};
        QTest::newRow("empty list") << QByteArray() << neu << QStringList{"Neuwort"};
        QTest::newRow("UTF-8, LF") << QByteArray("Straße\nKöln\n") << "Straße\nKöln\n" + neu
                                   << QStringList{"Straße", "Köln", "Neuwort"};
        QTest::newRow("no line end at the end")
            << QByteArray("Straße\nKöln") << "Straße\nKöln\n" + neu << QStringList{"Straße", "Köln", "Neuwort"};
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFStraße\n") << "\xEF\xBB\xBFStraße\n" + neu
                                         << QStringList{"Straße", "Neuwort"};
        QTest::newRow("Latin-1 words") << QByteArray(
                                              "Gr\xF6\xDF"
                                              "e\nK\xF6ln\n")
                                       << "Gr\xF6\xDF"
                                          "e\nK\xF6ln\n" +
                                              neu
                                       << QStringList{"Größe", "Köln", "Neuwort"};
        QTest::newRow("invalid bytes inside a word")
            << QByteArray("Haus\nWo\x81rt\nBaum\n") << "Haus\nWo\x81rt\nBaum\n" + neu
            << QStringList{"Haus", "Baum", "Neuwort"};
        QTest::newRow("encoded surrogate")
            << QByteArray("a\xED\xA0\x80z\n") << "a\xED\xA0\x80z\n" + neu << QStringList{"Neuwort"};
        QTest::newRow("CR only") << QByteArray("Eins\rZwei\r") << "Eins\nZwei\n" + neu
                                 << QStringList{"Eins", "Zwei", "Neuwort"};
        QTest::newRow("CR LF") << QByteArray("Eins\r\nZwei\r\n") << "Eins\nZwei\n" + neu
                               << QStringList{"Eins", "Zwei", "Neuwort"};
        QTest::newRow("mixed, last line CR") << QByteArray("Eins\r\nZwei\nDrei\r") << "Eins\nZwei\nDrei\n" + neu
                                             << QStringList{"Eins", "Zwei", "Drei", "Neuwort"};
        QTest::newRow("blank lines and duplicates")
            << QByteArray("Eins\n\n  Eins \n\r\n\nEins\n") << "Eins\n\n  Eins \n\n\nEins\n" + neu
            << QStringList{"Eins", "Neuwort"};
        QTest::newRow("control character") << QByteArray("Ta\tb\n") << "Ta\tb\n" + neu << QStringList{"Neuwort"};
        // Nothing to add: the list is not written at all.
        QTest::newRow("word there, CR") << QByteArray("Neuwort\rEins") << QByteArray("Neuwort\rEins")
                                        << QStringList{"Neuwort", "Eins"};
        QTest::newRow("word there, Windows-1252")
            << QByteArray("Neuwort\r\nK\xF6ln") << QByteArray("Neuwort\r\nK\xF6ln") << QStringList{"Neuwort", "Köln"};
    }
    void addKeepsTheList()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, words);
        if (before != "-") {
            QVERIFY(QDir().mkpath(QFileInfo(m_list).path()));
            WriteFileBytes(m_list, before);
        }
        QCOMPARE(AddPersonalWords(m_list, {QStringLiteral("Neuwort")}, 0ms), words);
        QCOMPARE(ReadFileBytes(m_list), after);
        QVERIFY(!ReadFileBytes(m_list).contains(Replacement));
        QCOMPARE(ReadPersonalWords(m_list), words);
    }

    // Any failure names the list and the cause; the list stays as it was.
    void failureNamesFileAndCause_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("message");  // %1 the list, %2 the test's folder
        QTest::newRow("file where the folder should be")
            << "folder is a file" << true
            << "In %1 kann nicht geschrieben werden: %2/vexloed ist eine Datei, kein Ordner";
        QTest::newRow("file further up")
            << "parent is a file" << true
            << "In %1 kann nicht geschrieben werden: %2/vexloed ist eine Datei, kein Ordner";
        QTest::newRow("list is a folder, read")
            << "list is a folder" << false << "Datei %1 kann nicht geöffnet werden: Es ist ein Ordner";
        QTest::newRow("list is a folder, add")
            << "list is a folder" << true << "Datei %1 kann nicht geöffnet werden: Es ist ein Ordner";
        QTest::newRow("list is a pipe") << "list is a pipe" << false
                                        << "Datei %1 kann nicht geöffnet werden: Es ist keine gewöhnliche Datei";
        QTest::newRow("list too large, read")
            << "list too large" << false << "Datei %1 kann nicht geöffnet werden: Die Liste ist größer als 64 MB";
        QTest::newRow("list too large, add")
            << "list too large" << true << "Datei %1 kann nicht geöffnet werden: Die Liste ist größer als 64 MB";
        QTest::newRow("file-size limit") << "size limit" << true
                                         << "In %1 kann nicht geschrieben werden: Die Datei wäre zu groß";
        QTest::newRow("list not readable")
            << "unreadable" << false << "Datei %1 kann nicht geöffnet werden: Zugriff verweigert";
        QTest::newRow("folder not writable")
            << "read-only folder" << true
            << "In %1 kann nicht geschrieben werden: Die Sperrdatei %2/vexloed/.woerterbuch.txt.lock kann nicht "
               "angelegt werden: Zugriff verweigert";
        QTest::newRow("folder not writable, lock file there")
            << "read-only folder, lock file" << true << "In %1 kann nicht geschrieben werden: Zugriff verweigert";
    }
    void failureNamesFileAndCause()
    {
        QFETCH(QString, setup);
        QFETCH(bool, adding);
        QFETCH(QString, message);
        const QString folder = QFileInfo(m_list).path();
        QString list = m_list;
        const QByteArray kept("Haus\r\n");
        if (setup == QLatin1String("folder is a file")) {
            WriteFileBytes(folder, kept);
        } else if (setup == QLatin1String("parent is a file")) {
            WriteFileBytes(folder, kept);
            list = folder + QStringLiteral("/unter/woerterbuch.txt");
        } else {
            QVERIFY(QDir().mkpath(folder));
        }
        if (setup == QLatin1String("list is a folder"))
            QVERIFY(QDir().mkpath(m_list));
        if (setup == QLatin1String("list is a pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(m_list).constData(), 0600), 0);
        if (setup == QLatin1String("list too large")) {
            WriteFileBytes(m_list, kept);
            QCOMPARE(::truncate(QFile::encodeName(m_list).constData(), MaxWordListBytes + 1), 0);
        }
        const bool readOnlyFolder = setup.startsWith(QLatin1String("read-only folder"));
        if (setup == QLatin1String("size limit") || setup == QLatin1String("unreadable") || readOnlyFolder)
            WriteFileBytes(m_list, kept);
        if (setup == QLatin1String("read-only folder, lock file"))
            WriteFileBytes(PersonalWordListLockPath(m_list), QByteArray());
        const QByteArray before = ReadFileBytes(QFileInfo(list).isFile() ? list : folder);
        if ((setup == QLatin1String("unreadable") || readOnlyFolder) && ::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        if (setup == QLatin1String("unreadable"))
            QVERIFY(QFile::setPermissions(m_list, {}));
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QString error = TextFromChild([&] {
            std::optional<FileSizeLimit> limit;
            if (setup == QLatin1String("size limit") && !limit.emplace(kept.size() + 4).active())
                return QStringLiteral("<no limit>");
            return ErrorOf([&] {
                if (adding)
                    AddPersonalWords(list, {QStringLiteral("Neuwort")}, 0ms);
                else
                    ReadPersonalWords(list);
            });
        });
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_list, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(error, QString(message).replace(QLatin1String("%1"), list).replace(QLatin1String("%2"), m_dir.path()));
        QCOMPARE(ReadFileBytes(QFileInfo(list).isFile() ? list : folder), before);
    }

    // Adds wait for another copy's lock up to the limit; past it the word is
    // accepted for the session, the message says so, and the list loses nothing.
    void lockHeldElsewhere_data()
    {
        QTest::addColumn<int>("held");  // ms
        QTest::addColumn<bool>("written");
        QTest::newRow("released within the wait") << 300 << true;
        QTest::newRow("held past the wait") << 2500 << false;
    }
    void lockHeldElsewhere()
    {
        QFETCH(int, held);
        QFETCH(bool, written);
        QVERIFY(QDir().mkpath(QFileInfo(m_list).path()));
        WriteFileBytes(m_list, "Haus\rK\xF6ln\r");
        TPersonalWords words(m_list);
        words.setLockWaitForTesting(1000ms);
        words.load();
        QTRY_VERIFY(!words.isBusy());
        QSignalSpy failed(&words, &TPersonalWords::failed);
        {
            LockHolder holder(m_list, held);
            QVERIFY(holder.locked());
            QSignalSpy changed(&words, &TPersonalWords::wordsChanged);
            words.add(QStringLiteral("Karstwort"));
            QCOMPARE(changed.size(), 1);
            QCOMPARE(changed[0][0].toStringList(), QStringList{"Karstwort"});
            QCOMPARE(words.words(), (QStringList{"Haus", "Köln", "Karstwort"}));
            QTRY_VERIFY_WITH_TIMEOUT(!words.isBusy(), 10000);
        }
        const QStringList busy{
            QStringLiteral("Die Wörterliste %1 wird gerade von einem anderen Programm geändert.\n").arg(m_list) +
            OnlyThisSession(QStringLiteral("Karstwort"))};
        QStringList messages;
        for (const QList<QVariant>& message : std::as_const(failed))
            messages << message[0].toString();
        QCOMPARE(messages, written ? QStringList() : busy);
        QCOMPARE(ReadFileBytes(m_list),
                 written ? QByteArray("Haus\nK\xF6ln\nKarstwort\n") : QByteArray("Haus\rK\xF6ln\r"));
        QCOMPARE(words.words(), (QStringList{"Haus", "Köln", "Karstwort"}));
    }

    // Two copies adding words as fast as they can lose none of them.
    void twoCopiesAddAtOnce()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_list).path()));
        WriteFileBytes(m_list, "K\xF6ln\r\n");
        QProcess first;
        QProcess second;
        first.start(QStringLiteral(WORDLIST_CHILD), {QStringLiteral("add"), m_list, QStringLiteral("erst"), "200"});
        second.start(QStringLiteral(WORDLIST_CHILD), {QStringLiteral("add"), m_list, QStringLiteral("zweit"), "200"});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        const QStringList words = ReadPersonalWords(m_list);
        QCOMPARE(words.size(), 401);
        for (int i = 1; i <= 200; ++i) {
            QVERIFY(words.contains(QStringLiteral("erst%1").arg(i)));
            QVERIFY(words.contains(QStringLiteral("zweit%1").arg(i)));
        }
        QVERIFY(ReadFileBytes(m_list).startsWith("K\xF6ln\n"));
    }

    // A copy takes up the words another copy, or the user by hand, puts into
    // the list, also after the list was replaced, and lets go of those taken out.
    void changesMadeElsewhereTakenUp()
    {
        TPersonalWords here(m_list);
        TPersonalWords there(m_list);
        here.load();
        there.load();
        QTRY_VERIFY(!here.isBusy() && !there.isBusy());
        QSignalSpy changed(&here, &TPersonalWords::wordsChanged);

        there.add(QStringLiteral("Karstwort"));  // the folder made, then the list
        QTRY_COMPARE(here.words(), QStringList{"Karstwort"});
        there.add(QStringLiteral("Dolinenrand"));  // the list replaced
        QTRY_COMPARE(here.words(), (QStringList{"Karstwort", "Dolinenrand"}));
        QSaveFile edited(m_list);  // as an editor saves
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write("Dolinenrand\r\nPonor\r\n");
        QVERIFY(edited.commit());
        QTRY_COMPARE(here.words(), (QStringList{"Dolinenrand", "Ponor"}));
        QFile inPlace(m_list);  // and as one writes in place
        QVERIFY(inPlace.open(QIODevice::Append));
        inPlace.write("Uvala\n");
        inPlace.close();
        QTRY_COMPARE(here.words(), (QStringList{"Dolinenrand", "Ponor", "Uvala"}));

        QTRY_VERIFY(!here.isBusy());
        QCOMPARE(changed.size(), 4);
        QCOMPARE(changed[2][1].toStringList(), QStringList{"Karstwort"});
        QCOMPARE(changed[2][0].toStringList(), QStringList{"Ponor"});
        QCOMPARE(changed[3][0].toStringList(), QStringList{"Uvala"});
        QTRY_COMPARE(there.words(), here.words());
    }

    // The list is read in the worker: load returns before it is there.
    void loadIsNotWaitedFor()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_list).path()));
        WriteFileBytes(m_list, "Karstwort\n");
        TPersonalWords words(m_list);
        QSignalSpy changed(&words, &TPersonalWords::wordsChanged);
        words.load();
        QVERIFY(!words.isLoaded());
        QVERIFY(words.words().isEmpty());
        QVERIFY(changed.wait(10000));
        QCOMPARE(changed[0][0].toStringList(), QStringList{"Karstwort"});
        QVERIFY(words.isLoaded());
    }

    // A word added just before the program ends still reaches the list.
    void addedAtTheEndKept()
    {
        {
            TPersonalWords words(m_list);
            words.add(QStringLiteral("Karstwort"));
            words.add(QStringLiteral("Ponor"));
        }
        QCOMPARE(ReadFileBytes(m_list), QByteArray("Karstwort\nPonor\n"));
    }
};

VEXLO_TEST_MAIN(TestPersonalWords)
#include "test_personalwords.moc"
