// The recovery copy of the text: written a moment after the last change,
// restored after a run that did not end normally, gone after a normal end;
// one per running instance, and whole across a kill at any moment.
#include <utime.h>

#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "faketrayshell.h"
#include "fixtures/recoverystates.h"
#include "storage/globals.h"
#include "storage/recovery.h"
#include "storage/textfile.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/main.h"

class TestRecovery : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString folder() const { return m_dir.filePath(QStringLiteral("state/vexloed")); }
    QString copy() const { return folder() + QStringLiteral("/recovery.txt"); }
    // Long enough for a copy that is due to have been written.
    static constexpr int Due = TRecovery::SaveDelay + 500;

    // A lock file as a process that is gone left it, as after a kill.
    static void MakeGoneLock(const QString& lockPath)
    {
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
        WriteFileBytes(lockPath, QByteArray::number(pid) + lock.mid(lock.indexOf('\n')));
    }
    static void SetWritten(const QString& path, qint64 secondsAgo)
    {
        const time_t when = time(nullptr) - time_t(secondsAgo);
        const utimbuf times{when, when};
        ::utime(QFile::encodeName(path).constData(), &times);
    }
    // The files of the folder that are not locks.
    QStringList copies() const
    {
        QStringList names = QDir(folder()).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

private slots:
    void initTestCase() { SetProgramDirForTesting(m_dir.path()); }
    void cleanup() { QDir(folder()).removeRecursively(); }

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
        QTest::newRow("only a line break") << QStringLiteral("\n") << QByteArray("\r\n");
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
        QCOMPARE(recovery.Restore().restored, restored);
        ShowFigures();
        QCOMPARE(form.lblCharCount->text(), count);
        QCOMPARE(form.lblGB->isVisibleTo(&form), guestBook);
        // The copy stays until the next normal end, and is not rewritten for nothing.
        QCOMPARE(QFile::exists(copy()), !copyBytes.isNull());
        if (restored) {
            QTest::qWait(Due);
            QCOMPARE(ReadFileBytes(copy()), copyBytes);
        }
    }

    // A copy that cannot be loaded is moved aside, never overwritten: the
    // next keystroke would otherwise replace it.
    void unloadableCopyIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("capacity");
        QTest::addColumn<bool>("nameTaken");
        QTest::addColumn<QString>("reason");
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << MemoCapacity << false << "keine Textdatei";
        QTest::newRow("over the capacity") << QByteArray("zu lang") << qsizetype(5) << false << "Memo-Kapazität";
        QTest::newRow("not UTF-8") << QByteArray("Gr\xFC\xDF") << MemoCapacity << false << "UTF-8";
        QTest::newRow("aside name taken") << QByteArray("a\0b", 3) << MemoCapacity << true << "keine Textdatei";
    }
    void unloadableCopyIsMovedAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, capacity);
        QFETCH(bool, nameTaken);
        QFETCH(QString, reason);

        QDir().mkpath(folder());
        WriteFileBytes(copy(), bytes);
        SetWritten(copy(), 3600);
        const QString stamp = QFileInfo(copy()).lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
        QString aside = folder() + QStringLiteral("/recovery-%1.txt").arg(stamp);
        if (nameTaken) {
            WriteFileBytes(aside, "schon da");
            aside = folder() + QStringLiteral("/recovery-%1-2.txt").arg(stamp);
        }
        TMemo memo;
        memo.setCapacityForTesting(capacity);
        TRecovery recovery(&memo, folder());
        const RecoveryReport report = recovery.Restore();
        QVERIFY(!report.restored);
        QCOMPARE(memo.text(), QString());
        QCOMPARE(ReadFileBytes(aside), bytes);
        QCOMPARE(report.unloadable.size(), 1);
        QVERIFY2(report.unloadable[0].contains(aside) && report.unloadable[0].contains(reason),
                 qPrintable(report.unloadable[0]));
        // The next copy is written beside it, and leaves it as it is.
        memo.setText(QStringLiteral("neu"));
        recovery.Save();
        QCOMPARE(ReadFileBytes(copy()), QByteArray("neu"));
        QCOMPARE(ReadFileBytes(aside), bytes);
        if (nameTaken)
            QCOMPARE(ReadFileBytes(aside.replace(QStringLiteral("-2.txt"), QStringLiteral(".txt"))),
                     QByteArray("schon da"));
    }

    void eachInstanceKeepsACopyOfItsOwn()
    {
        TMemo first;
        TRecovery firstRecovery(&first, folder());
        first.setText(QStringLiteral("vom ersten"));
        firstRecovery.Save();

        // A second instance neither takes the first one's live copy for a
        // crash nor touches it, and keeps its own beside it.
        TMemo second;
        TRecovery secondRecovery(&second, folder());
        QVERIFY(secondRecovery.isOwner());
        QCOMPARE(secondRecovery.copyPath(), folder() + QStringLiteral("/recovery-2.txt"));
        QVERIFY(secondRecovery.Restore().isEmpty());
        QCOMPARE(second.text(), QString());
        second.setText(QStringLiteral("vom zweiten"));
        QTRY_COMPARE_WITH_TIMEOUT(ReadFileBytes(secondRecovery.copyPath()), QByteArray("vom zweiten"), Due);
        QCOMPARE(ReadFileBytes(copy()), QByteArray("vom ersten"));

        // Once the first has ended, its place is free again; the second's copy stays.
        firstRecovery.Finish();
        TMemo third;
        TRecovery thirdRecovery(&third, folder());
        QCOMPARE(thirdRecovery.copyPath(), copy());
        QVERIFY(thirdRecovery.Restore().isEmpty());
        QCOMPARE(ReadFileBytes(secondRecovery.copyPath()), QByteArray("vom zweiten"));
    }

    // Copies of instances that are gone: the newest goes into the text and
    // becomes this instance's copy; the others are put aside whole; a running
    // instance's copy is left alone.
    void startRestoresTheCopiesOfInstancesThatAreGone_data()
    {
        QTest::addColumn<QString>("instances");  // per slot: g(one), r(unning) or -, with its copy's age in hours
        QTest::addColumn<QString>("restored");
        QTest::addColumn<QStringList>("after");  // the folder's copies after the start, oldest aside first
        QTest::newRow("own slot") << "g1"
                                  << "Kopie 1" << QStringList{"recovery.txt"};
        QTest::newRow("another slot") << "-0 g1"
                                      << "Kopie 2" << QStringList{"recovery.txt"};
        QTest::newRow("newest of three") << "g3 g1 g2"
                                         << "Kopie 2" << QStringList{"aside 1", "aside 3", "recovery.txt"};
        QTest::newRow("running instance") << "r1 g2"
                                          << "Kopie 2" << QStringList{"recovery.txt", "recovery-2.txt"};
        QTest::newRow("running only") << "r1"
                                      << "" << QStringList{"recovery.txt"};
    }
    void startRestoresTheCopiesOfInstancesThatAreGone()
    {
        QFETCH(QString, instances);
        QFETCH(QString, restored);
        QFETCH(QStringList, after);

        QDir().mkpath(folder());
        std::vector<std::unique_ptr<QLockFile>> running;
        QMap<int, QString> asideNames;
        const QStringList slotList = instances.split(u' ');
        for (int i = 0; i < slotList.size(); ++i) {
            const int slot = i + 1;
            const QString name = slot > 1 ? QStringLiteral("recovery-%1").arg(slot) : QStringLiteral("recovery");
            const QString lockPath = folder() + u'/' + name + QStringLiteral(".lock");
            const QString copyPath = folder() + u'/' + name + QStringLiteral(".txt");
            if (slotList[i][0] == u'-')
                continue;
            if (slotList[i][0] == u'g') {
                MakeGoneLock(lockPath);
            } else {
                running.push_back(std::make_unique<QLockFile>(lockPath));
                QVERIFY(running.back()->tryLock(0));
            }
            const int hours = slotList[i].mid(1).toInt();
            WriteFileBytes(copyPath, QStringLiteral("Kopie %1").arg(slot).toUtf8());
            SetWritten(copyPath, 3600 * hours);
            asideNames[slot] = QStringLiteral("recovery-") +
                               QFileInfo(copyPath).lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
                               QStringLiteral(".txt");
        }
        TMemo memo;
        TRecovery recovery(&memo, folder());
        const RecoveryReport report = recovery.Restore();
        QCOMPARE(report.restored, !restored.isEmpty());
        QCOMPARE(memo.text(), restored);
        QCOMPARE(recovery.copyPath(), running.empty() ? copy() : folder() + QStringLiteral("/recovery-2.txt"));
        if (report.restored)
            QCOMPARE(ReadFileBytes(recovery.copyPath()), restored.toUtf8());
        QStringList expected;
        for (const QString& name : after)
            expected << (name.startsWith(QStringLiteral("aside ")) ? asideNames[name.mid(6).toInt()] : name);
        expected.sort();
        QCOMPARE(copies(), expected);
        QCOMPARE(report.setAside.size(), after.filter(QRegularExpression(QStringLiteral("^aside "))).size());
        for (const QString& aside : report.setAside)
            QVERIFY(ReadFileBytes(aside).startsWith("Kopie "));
        // The gone instances' locks are free again.
        QCOMPARE(QDir(folder()).entryList({QStringLiteral("*.lock")}).size(), 1 + int(running.size()));
    }

    // The temporary files a killed write left: those of this instance's and
    // of gone instances' copies go, a running instance's stay.
    void startRemovesStaleTemporaryFiles()
    {
        QDir().mkpath(folder());
        QLockFile running(folder() + QStringLiteral("/recovery-2.lock"));
        QVERIFY(running.tryLock(0));
        MakeGoneLock(folder() + QStringLiteral("/recovery-3.lock"));
        const QStringList stale{".recovery.txt.aB3dE9", ".recovery-3.txt.Zz0000"};
        const QStringList kept{".recovery-2.txt.Qq1234", ".recovery.txt.kurz", "recovery.txt.aB3dE9"};
        for (const QString& name : stale + kept) {
            WriteFileBytes(folder() + u'/' + name, "halb");
            SetWritten(folder() + u'/' + name, 60);
        }
        TMemo memo;
        TRecovery recovery(&memo, folder());
        for (const QString& name : stale)
            QVERIFY2(!QFile::exists(folder() + u'/' + name), qPrintable(name));
        for (const QString& name : kept)
            QVERIFY2(QFile::exists(folder() + u'/' + name), qPrintable(name));
    }

    // Typing without a pause still writes the copy, at the latest the
    // longest delay after the first change it does not hold.
    void steadyTypingWritesTheCopy()
    {
        TMemo memo;
        TRecovery recovery(&memo, folder());
        recovery.setDelaysForTesting(1000, 150);
        bool written = false;
        for (int i = 0; i < 250 && !written; ++i) {
            memo.insertPlainText(QStringLiteral("x"));
            QTest::qWait(20);
            written = QFile::exists(copy());
        }
        QVERIFY(written);
        QVERIFY(ReadFileBytes(copy()).startsWith("xxx"));
        // Once the last change is in the copy, nothing runs until the next one.
        QTRY_VERIFY(!recovery.isBusy());
        QCOMPARE(ReadFileBytes(copy()), memo.text().toUtf8());
    }

    // Killed at any moment while it keeps its copy of a changing text, an
    // instance leaves a copy that is one whole state of the text, never a mix,
    // and the next start restores that state.
    void killAtAnyMomentLeavesAWholeState_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("latestKill");  // milliseconds after the first copy
        for (const int lines : {300, 40000})
            for (const int latest : {40, 400})
                QTest::addRow("%d lines, killed within %d ms", lines, latest) << lines << latest;
    }
    void killAtAnyMomentLeavesAWholeState()
    {
        QFETCH(int, lines);
        QFETCH(int, latestKill);

        for (int round = 0; round < 3; ++round) {
            QDir(folder()).removeRecursively();
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            child.setProcessEnvironment(environment);
            child.start(QStringLiteral(RECOVERY_CHILD), {folder(), QString::number(lines)});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy()), 20000);
            const int delay = int(QRandomGenerator::global()->bounded(latestKill));
            QTest::qWait(delay);
            child.kill();
            QVERIFY(child.waitForFinished());
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            const QByteArray bytes = ReadFileBytes(copy());
            const int state = bytes.mid(6, bytes.indexOf('\r') - 6).toInt();
            const QString expected = RecoveryState(lines, state).join(u'\n');
            QVERIFY2(bytes.startsWith("Stand ") && state >= 0, bytes.left(20).constData());
            QVERIFY2(bytes == expected.toUtf8().replace("\n", "\r\n"),
                     qPrintable(QStringLiteral("state %1 not whole, killed after %2 ms").arg(state).arg(delay)));

            TMemo memo;
            TRecovery recovery(&memo, folder());
            QVERIFY(recovery.Restore().restored);
            QCOMPARE(memo.text(), expected);
            QCOMPARE(QDir(folder()).entryList({QStringLiteral(".recovery*")}, QDir::Files | QDir::Hidden),
                     QStringList());
        }
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

    void noticeSaysWhatTheStartFound_data()
    {
        QTest::addColumn<bool>("restored");
        QTest::addColumn<QStringList>("setAside");
        QTest::addColumn<QStringList>("unloadable");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::newRow("restored") << true << QStringList() << QStringList() << QString()
                                  << "Der Text der letzten Sitzung wurde wiederhergestellt."
                                  << int(QMessageBox::Information);
        QTest::newRow("file left unopened")
            << true << QStringList() << QStringList() << "/tmp/a.txt"
            << "Der Text der letzten Sitzung wurde wiederhergestellt.\nDie Datei /tmp/a.txt wurde deshalb nicht "
               "geöffnet."
            << int(QMessageBox::Information);
        QTest::newRow("others set aside")
            << true << QStringList{"/s/recovery-1.txt", "/s/recovery-2.txt"} << QStringList() << QString()
            << "Der Text der letzten Sitzung wurde wiederhergestellt.\nWeitere Sicherungskopien früherer Sitzungen "
               "wurden nicht geladen; sie liegen unter:\n/s/recovery-1.txt\n/s/recovery-2.txt"
            << int(QMessageBox::Information);
        QTest::newRow("unloadable only") << false << QStringList() << QStringList{"Warum und wo"} << QString()
                                         << "Warum und wo" << int(QMessageBox::Warning);
    }
    void noticeSaysWhatTheStartFound()
    {
        QFETCH(bool, restored);
        QFETCH(QStringList, setAside);
        QFETCH(QStringList, unloadable);
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(int, icon);

        QString shownTitle, shownText;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownTitle = box->windowTitle();
            shownText = box->text();
            shownIcon = box->icon();
            box->accept();
        });
        RecoveryReport report;
        report.restored = restored;
        report.setAside = setAside;
        report.unloadable = unloadable;
        ShowRestoredNotice(nullptr, report, file);
        QCOMPARE(shownTitle, QStringLiteral("Vexlo-Ed"));
        QCOMPARE(shownText, text);
        QCOMPARE(int(shownIcon), icon);
    }
};

VEXLO_TEST_MAIN(TestRecovery)
#include "test_recovery.moc"
