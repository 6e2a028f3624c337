// The recovery copy of the text: written a moment after the last change,
// restored after a run that did not end normally, gone after a normal end.
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "faketrayshell.h"
#include "globals.h"
#include "main.h"
#include "memo.h"
#include "recovery.h"
#include "testsupport.h"

class TestRecovery : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString folder() const { return m_dir.filePath(QStringLiteral("state/vexloed")); }
    QString copy() const { return folder() + QStringLiteral("/recovery.txt"); }
    // Long enough for a copy that is due to have been written.
    static constexpr int Due = TRecovery::SaveDelay + 500;

private slots:
    void initTestCase() { SetProgramDirForTesting(m_dir.path()); }
    void cleanup() { QFile::remove(copy()); }

    void folderFollowsTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("stateHome");
        QTest::addColumn<QString>("expected");
        const QString fallback = QDir::homePath() + QStringLiteral("/.local/state/vexloed");
        QTest::newRow("set") << QByteArray("/srv/state/") << QStringLiteral("/srv/state/vexloed");
        QTest::newRow("empty") << QByteArray("") << fallback;
        QTest::newRow("relative") << QByteArray("state") << fallback;
    }
    void folderFollowsTheEnvironment()
    {
        QFETCH(QByteArray, stateHome);
        QFETCH(QString, expected);
        const QByteArray old = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", stateHome);
        const QString folder = RecoveryFolder();
        qputenv("XDG_STATE_HOME", old);
        QCOMPARE(folder, expected);
    }

    void copyIsWrittenAfterThePause_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one line") << QStringLiteral("Hallo") << QByteArray("Hallo");
        QTest::newRow("line breaks") << QStringLiteral("a\n\nb\n") << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("umlaut") << QStringLiteral("Grüße")
                                << QByteArray(
                                       "Gr\xC3\xBC\xC3\x9F"
                                       "e");
    }
    void copyIsWrittenAfterThePause()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);

        TMemo memo;
        TRecovery recovery(&memo, folder());
        QVERIFY(recovery.isOwner());
        QCOMPARE(recovery.copyPath(), copy());
        memo.setText(text);
        // Not at the change itself, only after the pause.
        QVERIFY(!QFile::exists(copy()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy()), Due);
        QCOMPARE(ReadFileBytes(copy()), bytes);
        QCOMPARE(QFile::permissions(folder()) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }

    void typingPutsTheCopyOff()
    {
        TMemo memo;
        TRecovery recovery(&memo, folder());
        for (int i = 0; i < 4; ++i) {
            memo.insertPlainText(QStringLiteral("x"));
            QTest::qWait(TRecovery::SaveDelay / 2);
        }
        QVERIFY(!QFile::exists(copy()));
        QTRY_COMPARE_WITH_TIMEOUT(ReadFileBytes(copy()), QByteArray("xxxx"), Due);
    }

    void emptyTextLeavesNoCopy()
    {
        TMemo memo;
        TRecovery recovery(&memo, folder());
        memo.setText(QStringLiteral("weg damit"));
        recovery.Save();
        QVERIFY(QFile::exists(copy()));
        memo.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(copy()), Due);
    }

    void endDecidesWhetherTheCopyStays_data()
    {
        QTest::addColumn<bool>("sessionEnds");
        QTest::newRow("normal end") << false;
        QTest::newRow("logout") << true;
    }
    void endDecidesWhetherTheCopyStays()
    {
        QFETCH(bool, sessionEnds);

        TMemo memo;
        TRecovery recovery(&memo, folder());
        memo.setText(QStringLiteral("erst"));
        recovery.Save();
        memo.setText(QStringLiteral("zuletzt"));
        if (sessionEnds)
            recovery.SessionEnding();
        recovery.Finish();
        QCOMPARE(QFile::exists(copy()), sessionEnds);
        if (sessionEnds)
            QCOMPARE(ReadFileBytes(copy()), QByteArray("zuletzt"));
        // Nothing is written after the end.
        memo.setText(QStringLiteral("danach"));
        QTest::qWait(Due);
        QCOMPARE(QFile::exists(copy()), sessionEnds);
    }

    void restoreFillsTheWindowAndCounts_data()
    {
        QTest::addColumn<QByteArray>("copyBytes");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("guestBook");
        QTest::newRow("no copy") << QByteArray() << false << "0" << false;
        QTest::newRow("empty copy") << QByteArray("") << false << "0" << false;
        QTest::newRow("short") << QByteArray("ab\nc") << true << "5" << false;
        QTest::newRow("at the limit") << QByteArray(2000, 'x') << true << "2000" << true;
    }
    void restoreFillsTheWindowAndCounts()
    {
        QFETCH(QByteArray, copyBytes);
        QFETCH(bool, restored);
        QFETCH(QString, count);
        QFETCH(bool, guestBook);

        Settings = TSettings();
        QDir().mkpath(folder());
        if (!copyBytes.isNull())
            WriteFileBytes(copy(), copyBytes);
        FakeTrayShell shell;  // outlives the window that uses it
        TfrmMain form(nullptr, &shell);
        TRecovery recovery(form.memoMain, folder());
        QCOMPARE(recovery.Restore(), restored);
        QCOMPARE(form.lblCharCount->text(), count);
        QCOMPARE(form.lblGB->isVisibleTo(&form), guestBook);
        // The copy stays until the next normal end, and is not rewritten for nothing.
        QCOMPARE(QFile::exists(copy()), !copyBytes.isNull());
        if (restored) {
            QTest::qWait(Due);
            QCOMPARE(ReadFileBytes(copy()), copyBytes);
        }
    }

    void unreadableCopyIsReported()
    {
        QDir().mkpath(folder());
        WriteFileBytes(copy(), QByteArray("a\0b", 3));
        TMemo memo;
        TRecovery recovery(&memo, folder());
        QVERIFY(ErrorOf([&] { recovery.Restore(); }).contains(copy()));
        QCOMPARE(memo.text(), QString());
    }

    void secondInstanceLeavesTheFirstOnesCopyAlone()
    {
        TMemo first;
        TRecovery firstRecovery(&first, folder());
        first.setText(QStringLiteral("vom ersten"));
        firstRecovery.Save();

        TMemo second;
        TRecovery secondRecovery(&second, folder());
        QVERIFY(!secondRecovery.isOwner());
        QVERIFY(!secondRecovery.Restore());
        QCOMPARE(second.text(), QString());
        second.setText(QStringLiteral("vom zweiten"));
        QTest::qWait(Due);
        secondRecovery.Finish();
        QCOMPARE(ReadFileBytes(copy()), QByteArray("vom ersten"));

        // Once the first has ended, the folder is free again.
        firstRecovery.Finish();
        TMemo third;
        TRecovery thirdRecovery(&third, folder());
        QVERIFY(thirdRecovery.isOwner());
    }

    void lockOfAGoneProcessIsTakenOver()
    {
        QDir().mkpath(folder());
        // A lock left by a process that no longer runs, as after a kill.
        const QString lockPath = folder() + QStringLiteral("/recovery.lock");
        QByteArray lock;
        {
            QLockFile probe(lockPath);
            QVERIFY(probe.tryLock(0));
            lock = ReadFileBytes(lockPath);
        }
        QProcess gone;
        gone.start(QStringLiteral("true"), {});
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        lock = QByteArray::number(pid) + lock.mid(lock.indexOf('\n'));
        WriteFileBytes(lockPath, lock);
        WriteFileBytes(copy(), QByteArray("gerettet"));
        TMemo memo;
        TRecovery recovery(&memo, folder());
        QVERIFY(recovery.isOwner());
        QVERIFY(recovery.Restore());
        QCOMPARE(memo.text(), QStringLiteral("gerettet"));
    }

    // A file where the folder or a folder above it should be: nothing can be
    // written there, the file is left as it was, and the user hears why once.
    void writeFailureIsShownOnce_data()
    {
        QTest::addColumn<QString>("folderBelow");
        QTest::newRow("file above the folder") << QStringLiteral("/vexloed");
        QTest::newRow("file in the folder's place") << QString();
    }
    void writeFailureIsShownOnce()
    {
        QFETCH(QString, folderBelow);
        const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
        WriteFileBytes(blocked, "x");
        QVERIFY(QFile::setPermissions(blocked, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        const auto removeFile = qScopeGuard([&] { QFile::remove(blocked); });
        ErrorBoxRecorder errors;
        TMemo memo;
        TRecovery recovery(&memo, blocked + folderBelow);
        for (const char* text : {"eins", "zwei"}) {
            memo.setText(QString::fromLatin1(text));
            QTest::qWait(Due);
        }
        QCOMPARE(errors.shown.size(), 1);
        QCOMPARE(errors.shown[0], QStringLiteral("Die Sicherungskopie des Textes kann nicht geschrieben werden: Der "
                                                 "Ordner %1 kann nicht angelegt werden: Eine Datei liegt im Weg.")
                                      .arg(blocked + folderBelow));
        QCOMPARE(ReadFileBytes(blocked), QByteArray("x"));
        QCOMPARE(QFile::permissions(blocked) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    }

    void noticeSaysTheTextWasRestored()
    {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        });
        ShowRestoredNotice(nullptr);
        QCOMPARE(title, QStringLiteral("Vexlo-Ed"));
        QCOMPARE(text, QStringLiteral("Der Text der letzten Sitzung wurde wiederhergestellt."));
        QCOMPARE(icon, QMessageBox::Information);
    }
};

VEXLO_TEST_MAIN(TestRecovery)
#include "test_recovery.moc"
