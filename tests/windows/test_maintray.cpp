// The main window's use of the tray: into the tray on minimise, back on a
// click or "Wiederherstellen", and the menu's commands while hidden.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "faketrayshell.h"
#include "framework/FileDialogs.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/TrayIcon.h"
#include "windows/main.h"

class TestMainTray : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeTrayShell* m_shell = nullptr;
    TfrmMain* m_form = nullptr;

    quintptr trayWindow() const { return m_form->TrayIcon1->notifyData().hWnd; }

    void minimise()
    {
        m_form->showMinimized();
        QTRY_VERIFY(m_form->isMinimized() || m_form->isHidden());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() { SetProgramDirForTesting(m_dir.path()); }
    void init()
    {
        Settings = TSettings();
        m_shell = new FakeTrayShell;
        m_form = new TfrmMain(nullptr, m_shell);
        if (!TApplication::instance()->mainWindow())
            TApplication::instance()->setMainWindow(m_form);
        frmMain = m_form;
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
        // A shell handed in stays the caller's; the tray uses it until it goes.
        delete m_shell;
        m_shell = nullptr;
        frmMain = nullptr;
    }

    void startLeavesNoIcon()
    {
        // Added when the description was applied, removed again at start.
        QVERIFY(!m_shell->shown);
        const QList<NotifyMessage> messages = m_shell->messages();
        QVERIFY(messages.contains(NIM_ADD));
        QVERIFY(messages.lastIndexOf(NIM_DELETE) > messages.indexOf(NIM_ADD));
        QVERIFY(!m_form->TrayIcon1->IconVisible());
    }

    void minimiseWithSysTrayGoesIntoTrayAndClickRestores()
    {
        m_form->cbSysTray->setChecked(true);
        m_form->setWindowState(Qt::WindowMaximized);
        minimise();
        m_form->AppMinimize();
        QVERIFY(m_form->isHidden());
        QVERIFY(m_shell->shown);
        QCOMPARE(m_shell->calls.last().record.tip(), QStringLiteral("Vexlo-Ed - zum Öffnen hier klicken"));
        QVERIFY(!TApplication::instance()->applicationWindowVisible());

        m_shell->send(trayWindow(), WM_LBUTTONDOWN);
        m_shell->send(trayWindow(), WM_LBUTTONUP);
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->isMinimized());
        QVERIFY(!m_form->isMaximized());
        QVERIFY(!m_shell->shown);
        QVERIFY(TApplication::instance()->applicationWindowVisible());
    }

    void minimiseStaysInTaskbar_data()
    {
        QTest::addColumn<bool>("sysTray");
        QTest::addColumn<bool>("areaAvailable");
        QTest::newRow("SysTray off") << false << true;
        QTest::newRow("no notification area") << true << false;
    }
    void minimiseStaysInTaskbar()
    {
        QFETCH(bool, sysTray);
        QFETCH(bool, areaAvailable);

        m_shell->available = areaAvailable;
        m_form->cbSysTray->setChecked(sysTray);
        minimise();
        m_form->AppMinimize();
        QVERIFY(!m_form->isHidden());
        QVERIFY(m_form->isMinimized());
        QVERIFY(!m_shell->shown);
        QVERIFY(!m_form->TrayIcon1->IconVisible());
    }

    // "minimiert starten": into the notification area when there is one and
    // "SysTray" is ticked at start, otherwise into the taskbar.
    void startMinimized_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("areaAvailable");
        QTest::addColumn<QString>("expected");  // "shown", "tray" or "taskbar"
        QTest::newRow("option off") << QByteArray("SysTray=1\r\nStartMinimized=0") << true << "shown";
        QTest::newRow("into the tray") << QByteArray("SysTray=1\r\nStartMinimized=1") << true << "tray";
        QTest::newRow("no area") << QByteArray("SysTray=1\r\nStartMinimized=1") << false << "taskbar";
        QTest::newRow("SysTray not ticked") << QByteArray("SysTray=0\r\nStartMinimized=1") << true << "taskbar";
    }
    void startMinimized()
    {
        QFETCH(QByteArray, config);
        QFETCH(bool, areaAvailable);
        QFETCH(QString, expected);
        cleanup();
        const QString ini = m_dir.filePath(QStringLiteral("vexloed.ini"));
        WriteFileBytes(ini, "[Config]\r\n" + config + "\r\n");
        const auto removeIni = qScopeGuard([&] { QFile::remove(ini); });
        m_shell = new FakeTrayShell;
        m_shell->available = areaAvailable;
        m_form = new TfrmMain(nullptr, m_shell);
        frmMain = m_form;
        m_form->ShowAtStart();
        QTRY_COMPARE(m_form->isMinimized(), expected == QLatin1String("taskbar"));
        QTest::qWait(50);
        QCOMPARE(m_form->isMinimized(), expected == QLatin1String("taskbar"));
        QCOMPARE(m_form->isVisible(), expected != QLatin1String("tray"));
        QCOMPARE(m_shell->shown, expected == QLatin1String("tray"));
        if (expected == QLatin1String("tray")) {
            m_form->TrayIconClick();
            QVERIFY(m_form->isVisible());
            QVERIFY(!m_shell->shown);
        }
    }

    void windowComesBackWhenTheAreaGoes()
    {
        m_form->cbSysTray->setChecked(true);
        minimise();
        m_form->AppMinimize();
        QVERIFY(m_form->isHidden());
        // Another area taking over is no loss.
        m_shell->setAvailable(true);
        QVERIFY(m_form->isHidden());

        m_shell->setAvailable(false);
        QTRY_VERIFY(m_form->isVisible());
        QVERIFY(!m_form->isMinimized());
        QVERIFY(!m_shell->shown);
        QVERIFY(!m_form->TrayIcon1->IconVisible());

        // Restored normally, nothing is watched any more.
        m_shell->available = true;
        m_form->cbSysTray->setChecked(true);
        minimise();
        m_form->AppMinimize();
        m_form->TrayIconClick();
        m_form->hide();
        m_shell->setAvailable(false);
        QCoreApplication::processEvents();
        QVERIFY(m_form->isHidden());
    }

    void menuWorksWhileHidden()
    {
        m_form->cbSysTray->setChecked(true);
        minimise();
        m_form->AppMinimize();
        QVERIFY(m_form->isHidden());

        QStringList itemTexts;
        for (QAction* action : m_form->mpopSysTray->actions())
            itemTexts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(itemTexts, QStringList({"Wiederherstellen", "-", "Text laden", "Text speichern", "Text einfügen", "-",
                                         "Beenden"}));

        // A right press opens the menu; the user picks "Text einfügen".
        m_shell->onPopup = [this](QMenu* menu) {
            QCOMPARE(menu, m_form->mpopSysTray);
            m_form->miPaste->trigger();
        };
        QApplication::clipboard()->setText(QStringLiteral("Gruß"));
        m_shell->send(trayWindow(), WM_RBUTTONDOWN);
        m_shell->send(trayWindow(), WM_RBUTTONUP);
        QCOMPARE(m_shell->popups.size(), 1);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Gruß\n"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("6"));
        QVERIFY(m_form->isHidden());
        QVERIFY(m_shell->shown);

        // "Text speichern" too; a failure shows its message and nothing changes.
        const QString target = m_dir.filePath(QStringLiteral("tray.txt"));
        FileDialogs::QueueAnswerForTesting(target);
        m_form->miSave->trigger();
        QCOMPARE(ReadFileBytes(target), QByteArray("Gru\xC3\x9F\r\n"));
        ErrorBoxRecorder errors;
        FileDialogs::QueueAnswerForTesting(m_dir.filePath(QStringLiteral("fehlt.txt")));
        m_form->miOpen->trigger();
        QCOMPARE(errors.shown.size(), 1);
        QVERIFY(m_form->isHidden());

        // "Wiederherstellen" does what a click on the icon does.
        m_form->miRestore->trigger();
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_shell->shown);
    }

    void doubleClickOnlyRestoresOnce()
    {
        m_form->cbSysTray->setChecked(true);
        minimise();
        m_form->AppMinimize();
        int restores = 0;
        m_form->TrayIcon1->OnClick = [&](QObject*) {
            ++restores;
            m_form->TrayIconClick();
        };
        m_shell->send(trayWindow(), WM_LBUTTONDOWN);
        m_shell->send(trayWindow(), WM_LBUTTONUP);
        m_shell->send(trayWindow(), WM_LBUTTONDBLCLK);
        m_shell->send(trayWindow(), WM_LBUTTONUP);
        QCOMPARE(restores, 1);
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_shell->shown);
    }
};

VEXLO_TEST_MAIN(TestMainTray)
#include "test_maintray.moc"
