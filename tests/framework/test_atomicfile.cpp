#include <fcntl.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <cstring>
#include <optional>

#include "framework/AtomicFile.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "testsupport.h"
#include "windows/ProUrl.h"
#include "windows/extern.h"

namespace {

// What each save had on disk before, and what it is asked to write: more
// than the size limit below lets through.
const QByteArray OldSettings = "[Config]\r\nFont=Verdana\r\n; " + QByteArray(3000, '-') + "\r\n[URL]\r\nLink1=\r\n";
const QByteArray OldText = "der alte Text\r\n" + QByteArray(3000, 'a');
constexpr unsigned long long SizeLimit = 1024;

// Fills a file system to the last byte.
bool FillUp(const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray chunk(4096, 'f');
    qsizetype size = chunk.size();
    for (;;) {
        const ssize_t n = ::write(fd, chunk.constData(), size_t(size));
        if (n >= 0)
            continue;
        if (errno != ENOSPC)
            break;
        if (size == 1) {
            ::close(fd);
            return true;
        }
        size = 1;  // the last page's tail
    }
    ::close(fd);
    return false;
}

// The save the user starts, returning the message it raised.
QString Save(const QString& kind, const QString& directory)
{
    if (kind == QLatin1String("settings"))
        return ErrorOf([] {
            SaveConfig(QStringLiteral("Arial"), 10, QStringLiteral("2000"), QStringLiteral("3000"), true, true, false);
        });
    if (kind == QLatin1String("spell switch"))
        return ErrorOf([] { SaveSpellCheckSetting(false); });
    if (kind == QLatin1String("links")) {
        TfrmExtern dialog;
        dialog.Entry(1)->setURL(QStringLiteral("http://neu.example.org/") + QString(2000, u'x'));
        return ErrorOf([&] { dialog.SaveLinks(); });
    }
    return ErrorOf([&] { WriteTextFile(directory + QStringLiteral("/alt.txt"), QString(5000, u'n')); });
}

}  // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    // A save the system refuses part-way reports it and leaves the old file
    // byte for byte, with no temporary file left beside it.
    void refusedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<bool>("firstSave");  // no file before: none after
        for (const char* kind : {"settings", "spell switch", "links", "text"}) {
            QTest::addRow("%s, full disk", kind) << QString::fromLatin1(kind) << true << false;
            QTest::addRow("%s, file-size limit", kind) << QString::fromLatin1(kind) << false << false;
            QTest::addRow("%s, first save, file-size limit", kind) << QString::fromLatin1(kind) << false << true;
        }
    }
    void refusedSaveChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(bool, fullDisk);
        QFETCH(bool, firstSave);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (fullDisk) {
            if (::geteuid() != 0)
                QSKIP("mounting a small file system needs root");
            if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP(qPrintable(QStringLiteral("cannot mount a small file system: %1").arg(strerror(errno))));
        }
        const auto unmount = qScopeGuard([&] {
            if (fullDisk)
                ::umount(mountPoint.constData());
        });
        SetProgramDirForTesting(dir.path());
        const bool text = kind == QLatin1String("text");
        const QString target = dir.filePath(text ? QStringLiteral("alt.txt") : QStringLiteral("vexloed.ini"));
        const QByteArray before = firstSave ? QByteArray() : text ? OldText : OldSettings;
        QStringList files;
        if (!firstSave) {
            WriteFileBytes(target, before);
            QCOMPARE(ReadFileBytes(target), before);
            files << target.section(u'/', -1);
        }
        if (fullDisk) {
            QVERIFY(FillUp(dir.filePath(QStringLiteral("filler"))));
            files << QStringLiteral("filler");
        }

        const QString message = TextFromChild([&] {
            std::optional<FileSizeLimit> limit;
            // Room for a section header, not for a whole save.
            const unsigned long long room = kind == QLatin1String("spell switch") ? 24 : 32;
            if (!fullDisk && !limit.emplace(firstSave ? room : SizeLimit).active())
                return QStringLiteral("<no limit>");
            return Save(kind, dir.path());
        });

        QCOMPARE(message, text ? QStringLiteral("Datei %1 kann nicht erstellt werden").arg(target)
                               : QStringLiteral("In %1 kann nicht geschrieben werden").arg(target));
        QCOMPARE(QFileInfo::exists(target), !firstSave);
        QCOMPARE(ReadFileBytes(target), before);
        files.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    }

    // The replacement keeps what the user set on the old file.
    void replacementKeepsTheFile_data()
    {
        QTest::addColumn<QString>("existing");  // "", "file" or "link"
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expectedMode");
        QTest::addColumn<bool>("othersFile");  // owned by nobody, saved by root
        QTest::newRow("new file takes the umask") << QString() << 0 << 0644 << false;
        QTest::newRow("private file stays private") << "file" << 0600 << 0600 << false;
        QTest::newRow("shared file stays shared") << "file" << 0664 << 0664 << false;
        QTest::newRow("through a symbolic link") << "link" << 0640 << 0640 << false;
        QTest::newRow("another user's private file") << "file" << 0600 << 0600 << true;
        QTest::newRow("another user's setgid file") << "link" << 02770 << 02770 << true;
    }
    void replacementKeepsTheFile()
    {
        QFETCH(QString, existing);
        QFETCH(int, mode);
        QFETCH(int, expectedMode);
        QFETCH(bool, othersFile);
        const struct passwd* nobody = ::getpwnam("nobody");
        if (othersFile && (::geteuid() != 0 || !nobody))
            QSKIP("saving another user's file needs root and the user nobody");
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("echt.txt"));
        const QString name = existing == QLatin1String("link") ? dir.filePath(QStringLiteral("verweis.txt")) : real;
        if (!existing.isEmpty()) {
            WriteFileBytes(real, "alt");
            if (othersFile)
                QCOMPARE(::chown(QFile::encodeName(real).constData(), nobody->pw_uid, nobody->pw_gid), 0);
            QVERIFY(::chmod(QFile::encodeName(real).constData(), mode_t(mode)) == 0);
        }
        if (existing == QLatin1String("link"))
            QVERIFY(QFile::link(real, name));
        const mode_t oldMask = ::umask(022);
        bool committed;
        {
            AtomicFile file(name);
            QVERIFY(file.write("neu"));
            committed = file.commit();
        }
        ::umask(oldMask);
        QVERIFY(committed);
        QCOMPARE(ReadFileBytes(real), QByteArray("neu"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), expectedMode);
        QCOMPARE(info.st_uid, othersFile ? nobody->pw_uid : ::geteuid());
        QCOMPARE(info.st_gid, othersFile ? nobody->pw_gid : ::getegid());
        QCOMPARE(QFileInfo(name).isSymLink(), existing == QLatin1String("link"));
    }

    // A flush or rename the system refuses at the end is a failed save.
    void lateFailureIsReported()
    {
        struct Row {
            const char* name;
            AtomicFile::SystemCalls calls;
            int error;
        };
        const Row rows[] = {
            {"fsync", {[](int) { return errno = EIO, -1; }, nullptr}, EIO},
            {"rename", {nullptr, [](const char*, const char*) { return errno = EXDEV, -1; }}, EXDEV},
        };
        for (const Row& row : rows) {
            QTemporaryDir dir;
            const QString name = dir.filePath(QStringLiteral("alt.txt"));
            WriteFileBytes(name, "alt");
            AtomicFile file(name, row.calls);
            QVERIFY2(file.write("neu"), row.name);
            QVERIFY2(!file.commit(), row.name);
            QCOMPARE(file.error(), row.error);
            QCOMPARE(ReadFileBytes(name), QByteArray("alt"));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"alt.txt"});
        }
    }

    void uncommittedWriteLeavesNothing()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("alt.txt"));
        WriteFileBytes(name, "alt");
        {
            AtomicFile file(name);
            QVERIFY(file.write("halb"));
        }
        QCOMPARE(ReadFileBytes(name), QByteArray("alt"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"alt.txt"});
    }

    // What a write killed part-way leaves beside the target goes at the next
    // start; nothing else does, and nothing younger than the running instance.
    void staleTemporaryFilesGo_data()
    {
        QTest::addColumn<QString>("name");  // empty: the one a killed write left
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("age");  // seconds before the instance started
        QTest::addColumn<bool>("removed");
        QTest::newRow("killed write") << QString() << "file" << 60 << true;
        QTest::newRow("writer still running") << QString() << "running" << 60 << false;
        QTest::newRow("left by an older build") << ".vexloed.ini.aB3dE9"
                                                << "file" << 60 << true;
        QTest::newRow("younger than the instance") << QString() << "file" << -60 << false;
        QTest::newRow("another file's") << ".andere.ini.aB3dE9"
                                        << "file" << 60 << false;
        QTest::newRow("five letters") << ".vexloed.ini.aB3dE"
                                      << "file" << 60 << false;
        QTest::newRow("not a letter") << ".vexloed.ini.aB3-E9"
                                      << "file" << 60 << false;
        QTest::newRow("a folder") << ".vexloed.ini.aB3dE9"
                                  << "folder" << 60 << false;
        QTest::newRow("a link") << ".vexloed.ini.aB3dE9"
                                << "link" << 60 << false;
    }
    void staleTemporaryFilesGo()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(int, age);
        QFETCH(bool, removed);

        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("vexloed.ini"));
        WriteFileBytes(target, "[Config]\r\n");
        std::optional<AtomicFile> running;
        if (kind == QLatin1String("running")) {
            // Another instance's save, its flush to disk slow.
            running.emplace(target);
            QVERIFY(running->write("halb"));
            const QStringList left =
                QDir(dir.path()).entryList({QStringLiteral(".vexloed.ini.*")}, QDir::Hidden | QDir::Files);
            QCOMPARE(left.size(), 1);
            name = left[0];
        } else if (name.isEmpty()) {
            // Killed after writing: neither committed nor discarded.
            TextFromChild([&] {
                auto* file = new AtomicFile(target);
                file->write("halb");
                return QString();
            });
            const QStringList left =
                QDir(dir.path()).entryList({QStringLiteral(".vexloed.ini.*")}, QDir::Hidden | QDir::Files);
            QCOMPARE(left.size(), 1);
            name = left[0];
        } else if (kind == QLatin1String("file")) {
            WriteFileBytes(dir.filePath(name), "halb");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else {
            QVERIFY(QFile::link(target, dir.filePath(name)));
        }
        const QDateTime started = QDateTime::currentDateTime();
        const time_t when = time_t(started.toSecsSinceEpoch() - age);
        const timeval times[2] = {{when, 0}, {when, 0}};
        ::lutimes(QFile::encodeName(dir.filePath(name)).constData(), times);

        QCOMPARE(RemoveStaleTemporaryFiles(target, started), removed ? 1 : 0);
        QCOMPARE(QFileInfo::exists(dir.filePath(name)) || QFileInfo(dir.filePath(name)).isSymLink(), !removed);
        QCOMPARE(ReadFileBytes(target), QByteArray("[Config]\r\n"));
        if (running) {
            QVERIFY(running->commit());
            QCOMPARE(ReadFileBytes(target), QByteArray("halb"));
        }
    }
};

VEXLO_TEST_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
