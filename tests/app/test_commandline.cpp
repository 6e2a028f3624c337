#include <QDir>
#include <QTest>

#include "app/commandline.h"
#include "testsupport.h"

using Action = CommandLine::Action;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("error");

        const QString here = QDir::currentPath();
        QTest::newRow("nothing") << QStringList{} << Action::Run << QString() << QString();
        QTest::newRow("absolute file") << QStringList{"/tmp/brief.txt"} << Action::Run << "/tmp/brief.txt" << QString();
        QTest::newRow("relative file") << QStringList{"brief.txt"} << Action::Run << here + "/brief.txt" << QString();
        QTest::newRow("file after --") << QStringList{"--", "-gruss.txt"} << Action::Run << here + "/-gruss.txt"
                                       << QString();
        QTest::newRow("--help") << QStringList{"--help"} << Action::Help << QString() << QString();
        QTest::newRow("-h with a file") << QStringList{"a.txt", "-h"} << Action::Help << QString() << QString();
        QTest::newRow("--version") << QStringList{"--version"} << Action::Version << QString() << QString();
        QTest::newRow("-v") << QStringList{"-v"} << Action::Version << QString() << QString();
        QTest::newRow("unknown long option")
            << QStringList{"--gross"} << Action::Error << QString() << "Unbekannte Option: --gross";
        QTest::newRow("unknown short option")
            << QStringList{"-x", "a.txt"} << Action::Error << QString() << "Unbekannte Option: -x";
        QTest::newRow("unknown before help")
            << QStringList{"--gross", "--help"} << Action::Error << QString() << "Unbekannte Option: --gross";
        QTest::newRow("value for a switch")
            << QStringList{"--help=ja"} << Action::Error << QString() << "Ungültiger Aufruf: --help=ja";
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << Action::Error << QString()
                                   << "Zu viele Argumente: Vexlo-Ed öffnet eine Datei.";
        // Qt's own options are left to Qt, with their values.
        QTest::newRow("Qt option and value")
            << QStringList{"-platform", "offscreen", "a.txt"} << Action::Run << here + "/a.txt" << QString();
        QTest::newRow("Qt options, then unknown")
            << QStringList{"--reverse", "-style=fusion", "-qwindowtitle", "x y", "--gross"} << Action::Error
            << QString() << "Unbekannte Option: --gross";
        QTest::newRow("Qt's name as a file after --")
            << QStringList{"--", "-reverse"} << Action::Run << here + "/-reverse" << QString();
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, fileName);
        QFETCH(QString, error);
        arguments.prepend(QStringLiteral("vexloed"));
        const CommandLine command = ParseCommandLine(WithoutQtOptions(arguments));
        QCOMPARE(command.action, action);
        QCOMPARE(command.fileName, fileName);
        if (error.isEmpty()) {
            QVERIFY(command.error.isEmpty());
        } else {
            // The message, then the German hint to the usage.
            QCOMPARE(command.error.section(u'\n', 0, 0), error);
            QCOMPARE(command.error.section(u'\n', 1),
                     QStringLiteral("„vexloed --help“ zeigt, wie Vexlo-Ed aufgerufen wird.\n"));
        }
    }

    void usageNamesEveryOptionInGerman()
    {
        const QStringList lines = UsageText().split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("Aufruf: vexloed [Optionen] [DATEI]"));
        QVERIFY(lines.contains(QStringLiteral("  -h, --help     Zeigt diese Hilfe an.")));
        QVERIFY(lines.contains(QStringLiteral("  -v, --version  Zeigt die Version an.")));
        QVERIFY(lines.contains(QStringLiteral("  DATEI          Textdatei, die beim Start geöffnet wird.")));
    }

    void versionText_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("record 1.20.0.25")
            << QStringLiteral(VERSIONED_FIXTURE) << QStringLiteral("Vexlo-Ed V1.20 Build 025\n");
        QTest::newRow("no record") << QCoreApplication::applicationFilePath() << QStringLiteral("Vexlo-Ed\n");
        QTest::newRow("no file") << QStringLiteral("/nonexistent/vexloed") << QStringLiteral("Vexlo-Ed\n");
    }
    void versionText()
    {
        QFETCH(QString, executable);
        QFETCH(QString, expected);
        QCOMPARE(VersionText(executable), expected);
    }
};

VEXLO_TEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
