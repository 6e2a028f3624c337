#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTest>

#include "framework/QtTrayShell.h"
#include "framework/VexloError.h"
#include "testsupport.h"
#include "windows/TrayIcon.h"

namespace {

struct Received {
    uint message;
    quintptr wParam;
    qintptr lParam;
};

NotifyIconData Record(quintptr window, const QString& tip)
{
    NotifyIconData record;
    record.hWnd = window;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    record.hIcon = QIcon(pixmap);
    record.setTip(tip);
    return record;
}

}  // namespace

class TestQtTrayShell : public QObject {
    Q_OBJECT
private slots:
    void addModifyDelete()
    {
        QtTrayShell shell;
        const quintptr window = shell.createMessageWindow([](uint, quintptr, qintptr) { return 0; });

        QVERIFY(!shell.notifyIcon(NIM_MODIFY, Record(window, "a")));
        QVERIFY(shell.notifyIcon(NIM_ADD, Record(window, "Vexlo-Ed")));
        QCoreApplication::processEvents();
        auto* icon = shell.findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QString("Vexlo-Ed"));
        QVERIFY(!icon->icon().isNull());
        QCOMPARE(icon->contextMenu(), nullptr);
        QVERIFY(!shell.notifyIcon(NIM_ADD, Record(window, "zweimal")));
        QCOMPARE(icon->toolTip(), QString("Vexlo-Ed"));

        QVERIFY(shell.notifyIcon(NIM_MODIFY, Record(window, "")));
        QCoreApplication::processEvents();
        QCOMPARE(icon->toolTip(), QString());
        NotifyIconData blank = Record(window, "");
        blank.hIcon = QIcon();
        QVERIFY(shell.notifyIcon(NIM_MODIFY, blank));
        QCoreApplication::processEvents();
        QVERIFY(!icon->icon().isNull());
        QVERIFY(!shell.notifyIcon(NIM_MODIFY, Record(window + 1, "anderes Fenster")));

        QVERIFY(shell.notifyIcon(NIM_DELETE, Record(window, "")));
        QCoreApplication::processEvents();
        QVERIFY(!icon->isVisible());
        QVERIFY(!shell.notifyIcon(NIM_DELETE, Record(window, "")));
    }

    void iconAddedAndRemovedAtOnceNeverReachesTheDesktop()
    {
        QtTrayShell shell;
        const quintptr window = shell.createMessageWindow([](uint, quintptr, qintptr) { return 0; });
        QVERIFY(shell.notifyIcon(NIM_ADD, Record(window, "kurz")));
        QVERIFY(shell.notifyIcon(NIM_DELETE, Record(window, "kurz")));
        QCoreApplication::processEvents();
        QCOMPARE(shell.findChild<QSystemTrayIcon*>(), nullptr);
    }

    void activationBecomesMouseMessages_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QList<qintptr>>("messages");

        QTest::newRow("trigger") << int(QSystemTrayIcon::Trigger) << QList<qintptr>{WM_LBUTTONDOWN, WM_LBUTTONUP};
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << QList<qintptr>{WM_LBUTTONDBLCLK};
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick)
                                      << QList<qintptr>{WM_MBUTTONDOWN, WM_MBUTTONUP};
        QTest::newRow("context") << int(QSystemTrayIcon::Context) << QList<qintptr>{WM_RBUTTONDOWN, WM_RBUTTONUP};
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << QList<qintptr>{};
    }
    void activationBecomesMouseMessages()
    {
        QFETCH(int, reason);
        QFETCH(QList<qintptr>, messages);

        QtTrayShell shell;
        QList<Received> received;
        const quintptr window = shell.createMessageWindow([&](uint message, quintptr wParam, qintptr lParam) {
            received.append({message, wParam, lParam});
            return 0;
        });
        QVERIFY(shell.notifyIcon(NIM_ADD, Record(window, "")));
        QCoreApplication::processEvents();
        auto* icon = shell.findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        emit icon->activated(QSystemTrayIcon::ActivationReason(reason));
        QList<qintptr> mouse;
        for (const Received& r : received) {
            QCOMPARE(r.message, WM_TRAYCALLBACK);
            QCOMPARE(r.wParam, quintptr(1));
            mouse << r.lParam;
        }
        QCOMPARE(mouse, messages);

        // Nothing is delivered for an icon that is no longer there.
        received.clear();
        QVERIFY(shell.notifyIcon(NIM_DELETE, Record(window, "")));
        emit icon->activated(QSystemTrayIcon::ActivationReason(reason));
        QVERIFY(received.isEmpty());
    }

    void errorInATrayHandlerIsShownAndTheNextMessageArrives()
    {
        ErrorBoxRecorder recorder;
        QtTrayShell shell;
        QList<qintptr> received;
        const quintptr window = shell.createMessageWindow([&](uint, quintptr, qintptr lParam) -> qintptr {
            received << lParam;
            if (lParam == WM_LBUTTONDOWN)
                throw VexloError(QStringLiteral("Symbol nicht verfügbar"));
            return 0;
        });
        QVERIFY(shell.notifyIcon(NIM_ADD, Record(window, "")));
        QCoreApplication::processEvents();
        auto* icon = shell.findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        emit icon->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(received, (QList<qintptr>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
        QCOMPARE(recorder.shown, QStringList(QStringLiteral("Symbol nicht verfügbar.")));
    }

    void trayOnTheDesktopShell()
    {
        // A click that ends with the tray gone: the release must not reach it.
        auto* tray = new TTrayIcon(nullptr);
        int clicks = 0;
        int downs = 0;
        tray->OnMouseDown = [&](QObject*, TMouseButton, TShiftState, int, int) { ++downs; };
        tray->OnClick = [&](QObject*) { ++clicks; };
        tray->setHint("Vexlo-Ed - zum öffnen hier klicken");
        tray->setShowHint(true);
        tray->setIconVisible(true);
        QCoreApplication::processEvents();
        auto* icon = tray->findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QString("Vexlo-Ed - zum öffnen hier klicken"));

        emit icon->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(downs, 1);
        QCOMPARE(clicks, 1);

        QPointer<QSystemTrayIcon> watched(icon);
        tray->OnMouseDown = [&](QObject*, TMouseButton, TShiftState, int, int) { delete tray; };
        emit icon->activated(QSystemTrayIcon::Trigger);
        QVERIFY(watched.isNull());
        QCOMPARE(clicks, 1);
    }
};

VEXLO_TEST_MAIN(TestQtTrayShell)
#include "test_qttrayshell.moc"
