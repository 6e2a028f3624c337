#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "storage/settingsdir.h"
#include "testsupport.h"

class TestSettingsDir : public QObject {
    Q_OBJECT

private slots:
    // A layout of files under a prefix; the program lives in prefix/bin.
    void settingsDirectory_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("userFolder");

        const QString ini = QStringLiteral("bin/vexloed.ini");
        const QString entry = QStringLiteral("share/applications/vexloed.desktop");
        QTest::newRow("build folder, no settings yet") << QStringList{} << true << false;
        QTest::newRow("build folder with settings") << QStringList{ini} << true << false;
        QTest::newRow("installed") << QStringList{entry} << true << true;
        QTest::newRow("installed, settings beside (portable)") << QStringList{entry, ini} << true << false;
        QTest::newRow("other program's entry") << QStringList{"share/applications/other.desktop"} << true << false;
        QTest::newRow("folder not the user's") << QStringList{} << false << true;
        QTest::newRow("folder not the user's, settings beside") << QStringList{ini} << false << false;
    }
    void settingsDirectory()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, writable);
        QFETCH(bool, userFolder);
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        for (const QString& file : files) {
            QVERIFY(QDir(prefix.path()).mkpath(QFileInfo(file).path()));
            WriteFileBytes(prefix.filePath(file), "[Config]\r\n");
        }
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        if (!writable) {
            ::chmod(QFile::encodeName(bin).constData(), 0555);
            if (::access(QFile::encodeName(bin).constData(), W_OK) == 0) {
                ::chmod(QFile::encodeName(bin).constData(), 0755);
                QSKIP("permission bits do not stop this user");
            }
        }
        const QString config = prefix.filePath(QStringLiteral("config/vexloed"));
        const QString chosen = SettingsDirectory(bin, config, QStringLiteral("../share/applications/vexloed.desktop"));
        ::chmod(QFile::encodeName(bin).constData(), 0755);
        QCOMPARE(chosen, userFolder ? config : bin);
    }

    void installedMarkerLeadsFromBinToTheDesktopEntry()
    {
        QCOMPARE(InstalledMarker(), QStringLiteral("../share/applications/vexloed.desktop"));
    }

    void userConfigDirectoryFollowsXdg()
    {
        QTemporaryDir home;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        const QString directory = UserConfigDirectory();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(directory, home.path() + QStringLiteral("/vexloed"));
    }

    void makeDirectoryPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::newRow("existing") << QString() << 0;
        QTest::newRow("one level") << QStringLiteral("vexloed") << 0;
        QTest::newRow("two levels") << QStringLiteral("config/vexloed") << 0;
        QTest::newRow("under a file") << QStringLiteral("file/vexloed") << int(ENOTDIR);
    }
    void makeDirectoryPath()
    {
        QFETCH(QString, path);
        QFETCH(int, error);
        QTemporaryDir root;
        WriteFileBytes(root.filePath(QStringLiteral("file")), "x");
        const QString directory = path.isEmpty() ? root.path() : root.filePath(path);
        QCOMPARE(MakeDirectoryPath(directory), error);
        QCOMPARE(QFileInfo(directory).isDir(), error == 0);
        if (error == 0 && !path.isEmpty()) {
            // Configuration folders are the user's alone.
            QCOMPARE(QFileInfo(directory).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        }
    }
};

VEXLO_TEST_MAIN(TestSettingsDir)
#include "test_settingsdir.moc"
