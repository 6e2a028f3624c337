#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <memory>

#include "faketrayshell.h"
#include "testsupport.h"
#include "windows/TrayIcon.h"

namespace {

QIcon ColourIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A tray on a fake shell, owned by a plain window, with every event logged.
struct Harness {
    FakeTrayShell shell;
    QWidget owner;
    TTrayIcon* tray;
    QStringList log;
    std::unique_ptr<QMenu> menu = std::make_unique<QMenu>();

    Harness()
    {
        shell.cursor = QPoint(-5, 1200);
        tray = new TTrayIcon(&owner, &shell);
        tray->OnClick = [this](QObject* sender) { log << (sender == tray ? "click" : "click from stranger"); };
        tray->OnDblClick = [this](QObject*) { log << "dblclick"; };
        tray->OnMouseDown = [this](QObject*, TMouseButton button, TShiftState shift, int x, int y) {
            log << QString("down %1 %2").arg(button).arg(shift);
            positions << QPoint(x, y);
        };
        tray->OnMouseUp = [this](QObject*, TMouseButton button, TShiftState shift, int x, int y) {
            log << QString("up %1 %2").arg(button).arg(shift);
            positions << QPoint(x, y);
        };
        tray->OnMouseMove = [this](QObject*, TShiftState shift, int, int) { log << QString("move %1").arg(shift); };
        shell.onPopup = [this](QMenu*) { log << "popup"; };
    }

    void send(uint mouseMessage) { shell.send(tray->notifyData().hWnd, mouseMessage); }
    void sendAll(const QList<uint>& messages)
    {
        for (uint message : messages)
            send(message);
    }

    QList<QPoint> positions;
};

const QList<uint> AllMouseMessages = {WM_MOUSEMOVE,   WM_LBUTTONDOWN,  WM_LBUTTONUP,     WM_LBUTTONDBLCLK,
                                      WM_RBUTTONDOWN, WM_RBUTTONUP,    WM_RBUTTONDBLCLK, WM_MBUTTONDOWN,
                                      WM_MBUTTONUP,   WM_MBUTTONDBLCLK};

}  // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        // The application window's state and the start flag are process-wide.
        TApplication::instance()->showApplicationWindow(true);
        TApplication::instance()->showMainForm = true;
    }

    void recordIsFilledAtConstruction()
    {
        Harness h;
        const NotifyIconData& data = h.tray->notifyData();
        QCOMPARE(data.cbSize, 88u);
        QCOMPARE(data.uID, 1u);
        QCOMPARE(data.uFlags, 7u);
        QCOMPARE(data.uCallbackMessage, 0x0800u);
        QVERIFY(h.shell.messageWindowExists(data.hWnd));
        QVERIFY(h.shell.calls.isEmpty());
        QVERIFY(h.tray->IconVisible());
        QVERIFY(h.tray->Enabled());
    }

    void mouseMessages_data()
    {
        QTest::addColumn<QList<uint>>("messages");
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("leftPopup");
        QTest::addColumn<int>("menu");  // 0 none, 1 automatic pop-up, 2 automatic pop-up off
        QTest::addColumn<QStringList>("events");

        const QStringList leftClick = {"down 0 8", "click", "up 0 8"};
        QTest::newRow("move") << QList<uint>{WM_MOUSEMOVE} << 0 << false << 1 << QStringList{"move 0"};
        QTest::newRow("move with shift, no button bit")
            << QList<uint>{WM_MOUSEMOVE} << int(ssShift) << false << 1 << QStringList{"move 1"};
        QTest::newRow("left click") << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONUP} << 0 << false << 1 << leftClick;
        QTest::newRow("left double click")
            << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP} << 0 << false << 1
            << QStringList{"down 0 8", "click", "up 0 8", "dblclick", "up 0 8"};
        QTest::newRow("release without press") << QList<uint>{WM_LBUTTONUP} << 0 << false << 1 << QStringList{"up 0 8"};
        QTest::newRow("two presses, two releases")
            << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONUP} << 0 << false << 1
            << QStringList{"down 0 8", "down 0 8", "click", "up 0 8", "up 0 8"};
        QTest::newRow("left press with shift, ctrl, alt")
            << QList<uint>{WM_LBUTTONDOWN} << int(ssShift | ssCtrl | ssAlt) << false << 1 << QStringList{"down 0 15"};
        QTest::newRow("left popup") << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONUP} << 0 << true << 1
                                    << QStringList{"down 0 8", "popup", "click", "up 0 8"};
        QTest::newRow("left popup, no menu")
            << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONUP} << 0 << true << 0 << leftClick;
        QTest::newRow("left popup, automatic pop-up off")
            << QList<uint>{WM_LBUTTONDOWN, WM_LBUTTONUP} << 0 << true << 2 << leftClick;
        QTest::newRow("right click") << QList<uint>{WM_RBUTTONDOWN, WM_RBUTTONUP} << 0 << false << 1
                                     << QStringList{"down 1 16", "popup", "up 1 16"};
        QTest::newRow("right click with left popup") << QList<uint>{WM_RBUTTONDOWN, WM_RBUTTONUP} << 0 << true << 1
                                                     << QStringList{"down 1 16", "popup", "up 1 16"};
        QTest::newRow("right click, no menu")
            << QList<uint>{WM_RBUTTONDOWN, WM_RBUTTONUP} << 0 << false << 0 << QStringList{"down 1 16", "up 1 16"};
        QTest::newRow("right click, automatic pop-up off")
            << QList<uint>{WM_RBUTTONDOWN, WM_RBUTTONUP} << 0 << false << 2 << QStringList{"down 1 16", "up 1 16"};
        QTest::newRow("right double click") << QList<uint>{WM_RBUTTONDBLCLK} << 0 << false << 1 << QStringList{};
        QTest::newRow("middle button") << QList<uint>{WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_MBUTTONUP}
                                       << int(ssCtrl) << false << 1 << QStringList{"down 2 36", "up 2 36", "up 2 36"};
        QTest::newRow("other messages") << QList<uint>{0x020A, 0x0100, WM_NULL} << 0 << false << 1 << QStringList{};
    }
    void mouseMessages()
    {
        QFETCH(QList<uint>, messages);
        QFETCH(int, keys);
        QFETCH(bool, leftPopup);
        QFETCH(int, menu);
        QFETCH(QStringList, events);

        Harness h;
        h.shell.keys = TShiftState(keys);
        h.tray->setLeftPopup(leftPopup);
        if (menu)
            h.tray->setPopupMenu(h.menu.get());
        h.tray->setAutoPopup(menu != 2);
        h.sendAll(messages);
        QCOMPARE(h.log, events);
    }

    void mouseEventsReportCursorAtHandling()
    {
        Harness h;
        h.tray->setPopupMenu(h.menu.get());
        h.send(WM_RBUTTONDOWN);
        h.shell.cursor = QPoint(7, 8);
        h.send(WM_RBUTTONUP);
        QCOMPARE(h.positions, QList<QPoint>({QPoint(-5, 1200), QPoint(7, 8)}));
        QCOMPARE(h.shell.popups.size(), 1);
        QCOMPARE(h.shell.popups[0].position, QPoint(-5, 1200));
    }

    void disabledIgnoresMouseButStillCycles()
    {
        Harness h;
        h.tray->setPopupMenu(h.menu.get());
        h.tray->setLeftPopup(true);
        h.tray->setEnabled(false);
        h.sendAll(AllMouseMessages);
        QCOMPARE(h.log, QStringList());
        QVERIFY(h.shell.popups.isEmpty());

        // A press while disabled leaves no click pending.
        h.send(WM_LBUTTONDOWN);
        h.tray->setEnabled(true);
        h.send(WM_LBUTTONUP);
        QCOMPARE(h.log, QStringList({"up 0 8"}));

        h.tray->setEnabled(false);
        int cycles = 0;
        h.tray->OnCycle = [&](QObject*, int&) { ++cycles; };
        h.tray->setCycleInterval(1);
        h.tray->setCycleIcons(true);
        QTRY_VERIFY(cycles > 0);
    }

    void otherWindowMessagesGetDefaultHandling()
    {
        Harness h;
        h.shell.send(h.tray->notifyData().hWnd, WM_LBUTTONDOWN, WM_TRAYCALLBACK + 1);
        h.shell.send(h.tray->notifyData().hWnd, WM_LBUTTONUP, WM_TRAYCALLBACK + 1);
        QCOMPARE(h.log, QStringList());
    }

    void doubleClickRunsDefaultItem_data()
    {
        QTest::addColumn<bool>("leftPopup");
        QTest::addColumn<bool>("autoPopup");
        QTest::addColumn<int>("where");  // 0 no default, 1 top-level item, 2 item of a submenu
        QTest::addColumn<bool>("itemEnabled");
        QTest::addColumn<bool>("runs");

        QTest::newRow("top-level default item") << false << true << 1 << true << true;
        QTest::newRow("no default item") << false << true << 0 << true << false;
        QTest::newRow("left popup") << true << true << 1 << true << false;
        QTest::newRow("automatic pop-up off") << false << false << 1 << true << false;
        QTest::newRow("default item of a submenu") << false << true << 2 << true << false;
        QTest::newRow("disabled default item") << false << true << 1 << false << false;
    }
    void doubleClickRunsDefaultItem()
    {
        QFETCH(bool, leftPopup);
        QFETCH(bool, autoPopup);
        QFETCH(int, where);
        QFETCH(bool, itemEnabled);
        QFETCH(bool, runs);

        Harness h;
        h.shell.onPopup = {};
        QAction* first = h.menu->addAction("Wiederherstellen");
        QMenu* sub = h.menu->addMenu("mehr");
        QAction* inner = sub->addAction("innen");
        QAction* item = where == 2 ? inner : first;
        item->setEnabled(itemEnabled);
        if (where == 1)
            h.menu->setDefaultAction(first);
        if (where == 2)
            h.menu->setDefaultAction(inner);
        int triggered = 0;
        connect(item, &QAction::triggered, [&] { ++triggered; });

        h.tray->setPopupMenu(h.menu.get());
        h.tray->setAutoPopup(autoPopup);
        h.tray->setLeftPopup(leftPopup);
        h.sendAll({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
        QCOMPARE(triggered, runs ? 1 : 0);
        QCOMPARE(h.log.count("click"), 1);
        QCOMPARE(h.log.count("dblclick"), 1);
    }

    void popupPreparesAndMarksItsComponent()
    {
        Harness h;
        h.tray->setPopupMenu(h.menu.get());
        int processedAtPopup = -1;
        QObject* component = nullptr;
        h.shell.onPopup = [&](QMenu* menu) {
            processedAtPopup = h.shell.processed;
            component = menu->property("PopupComponent").value<QObject*>();
        };
        h.send(WM_RBUTTONDOWN);
        QCOMPARE(processedAtPopup, 1);
        QCOMPARE(component, h.tray);
        QVERIFY(!h.shell.foreground.isEmpty());
        QCOMPARE(h.shell.foreground.last().data(), &h.owner);
    }

    void menuRemovedWhilePendingMessagesRun()
    {
        Harness h;
        h.tray->setPopupMenu(h.menu.get());
        h.shell.onProcess = [&] { h.menu.reset(); };
        h.send(WM_RBUTTONDOWN);
        QVERIFY(h.shell.popups.isEmpty());
        QCOMPARE(h.tray->PopupMenu(), nullptr);
    }

    void removedMenuIsForgotten()
    {
        Harness h;
        h.tray->setPopupMenu(h.menu.get());
        h.menu.reset();
        QCOMPARE(h.tray->PopupMenu(), nullptr);
        h.sendAll({WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK});
        QVERIFY(h.shell.popups.isEmpty());
        QCOMPARE(h.log, QStringList({"down 1 16", "up 1 16", "dblclick"}));
    }

    void tooltip_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("showHint");
        QTest::addColumn<QString>("tip");

        const QString seventy = QString("0123456789").repeated(7);
        QTest::newRow("70 characters") << seventy << true << seventy.left(63);
        QTest::newRow("63 characters") << seventy.left(63) << true << seventy.left(63);
        QTest::newRow("program hint") << "Vexlo-Ed - zum öffnen hier klicken" << true
                                      << "Vexlo-Ed - zum öffnen hier klicken";
        QTest::newRow("ShowHint false") << "Vexlo-Ed" << false << "";
        QTest::newRow("empty hint") << "" << true << "";
        // Counted in characters, not in the bytes of their encoding.
        const QString umlauts = QString("äöüÄÖÜß").repeated(10);
        QTest::newRow("umlaut at the cut") << QString(62, 'x') + "ä" << true << QString(62, 'x') + "ä";
        QTest::newRow("umlauts only") << umlauts << true << umlauts.left(63);
        const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("emoji astride the cut") << QString(62, 'x') + grin << true << QString(62, 'x');
        QTest::newRow("emoji before the cut") << QString(61, 'x') + grin + "y" << true << QString(61, 'x') + grin;
    }
    void tooltip()
    {
        QFETCH(QString, hint);
        QFETCH(bool, showHint);
        QFETCH(QString, tip);

        Harness h;
        h.tray->setIconVisible(true);
        h.tray->setShowHint(showHint);
        h.tray->setHint(hint);
        QCOMPARE(h.tray->Hint(), hint);

        const NotifyIconData& sent = h.shell.calls.last().record;
        QCOMPARE(h.shell.calls.last().message, NIM_MODIFY);
        QCOMPARE(sent.tip(), tip);
        // Null-terminated, and nothing but zeros after the text.
        const int length = int(tip.size());
        QVERIFY(length < 64);
        for (int i = length; i < 64; ++i)
            QCOMPARE(int(sent.szTip[i]), 0);
    }

    void writesGoToTheShell()
    {
        Harness h;
        const QIcon red = ColourIcon(Qt::red);
        h.tray->setIcon(red);           // modify: not there yet
        h.tray->setIconVisible(true);   // add
        h.tray->setIconVisible(true);   // add again: refused
        h.tray->setHint("Hinweis");     // modify
        h.tray->setIconVisible(false);  // delete
        h.tray->setIconVisible(false);  // delete again: refused
        QCOMPARE(h.shell.messages(),
                 QList<NotifyMessage>({NIM_MODIFY, NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_DELETE}));
        QList<bool> results;
        for (const auto& call : h.shell.calls)
            results << call.result;
        QCOMPARE(results, QList<bool>({false, true, false, true, true, false}));
        QCOMPARE(h.shell.calls[1].record.hIcon.cacheKey(), red.cacheKey());
        QVERIFY(!h.tray->IconVisible());

        // Loaded refreshes, then adds the icon as IconVisible asks.
        h.shell.calls.clear();
        h.tray->Loaded();
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_MODIFY, NIM_DELETE}));
        h.shell.calls.clear();
        h.tray->setIconVisible(true);
        h.tray->Loaded();
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_ADD, NIM_MODIFY, NIM_ADD}));
    }

    void iconIndex_data()
    {
        QTest::addColumn<int>("images");  // -1: no list
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("image");  // -1: no picture

        QTest::newRow("inside the list") << 4 << 2 << 2 << 2;
        QTest::newRow("10 of 4") << 4 << 10 << 3 << 3;
        QTest::newRow("count of 4") << 4 << 4 << 3 << 3;
        QTest::newRow("negative") << 4 << -2 << -2 << -1;
        QTest::newRow("empty list") << 0 << 5 << -1 << -1;
        QTest::newRow("no list") << -1 << 10 << 0 << -1;
    }
    void iconIndex()
    {
        QFETCH(int, images);
        QFETCH(int, value);
        QFETCH(int, index);
        QFETCH(int, image);

        Harness h;
        TImageList list;
        const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < images; ++i)
            list.images << ColourIcon(colours[i]);
        const QIcon before = ColourIcon(Qt::black);
        h.tray->setIcon(before);
        if (images >= 0)
            h.tray->setIconList(&list);
        h.shell.calls.clear();

        h.tray->setIconIndex(value);
        QCOMPARE(h.tray->IconIndex(), index);
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_MODIFY}));
        const QIcon shown = h.shell.calls.last().record.hIcon;
        if (images < 0)
            QCOMPARE(shown.cacheKey(), before.cacheKey());  // without a list the picture stays
        else if (image < 0)
            QVERIFY(shown.isNull());
        else
            QCOMPARE(shown.cacheKey(), list.images[image].cacheKey());
    }

    void iconListWriteAndRemoval()
    {
        Harness h;
        auto list = std::make_unique<TImageList>();
        list->images << ColourIcon(Qt::red) << ColourIcon(Qt::green) << ColourIcon(Qt::blue);
        h.tray->setIconList(list.get());
        QCOMPARE(h.tray->IconIndex(), 0);
        QCOMPARE(h.tray->Icon().cacheKey(), list->images[0].cacheKey());
        h.tray->setIconIndex(2);
        h.shell.calls.clear();

        list.reset();
        QCOMPARE(h.tray->IconList(), nullptr);
        QCOMPARE(h.tray->IconIndex(), 0);
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_MODIFY}));
        h.tray->setIconIndex(1);
        QCOMPARE(h.tray->IconIndex(), 0);
    }

    void cyclingWrapsAround()
    {
        Harness h;
        TImageList list;
        list.images << ColourIcon(Qt::red) << ColourIcon(Qt::green) << ColourIcon(Qt::blue);
        h.tray->setIconList(&list);
        h.tray->setIconIndex(2);
        QList<int> nexts;
        h.tray->OnCycle = [&](QObject* sender, int& next) {
            QCOMPARE(sender, h.tray);
            nexts << next;
            if (nexts.size() == 4)
                h.tray->setCycleIcons(false);
        };
        h.tray->setCycleInterval(1);
        h.shell.calls.clear();
        h.tray->setCycleIcons(true);  // starts from image 0
        QTRY_COMPARE(nexts, QList<int>({1, 2, 0, 1}));

        QList<qint64> shown;
        for (const auto& call : h.shell.calls)
            shown << call.record.hIcon.cacheKey();
        const auto key = [&](int i) { return list.images[i].cacheKey(); };
        QCOMPARE(shown, QList<qint64>({key(0), key(1), key(2), key(0), key(1)}));
        QCOMPARE(h.tray->IconIndex(), 1);
    }

    void cycleHandlerChoosesNextIndex()
    {
        Harness h;
        TImageList list;
        list.images << ColourIcon(Qt::red) << ColourIcon(Qt::green) << ColourIcon(Qt::blue);
        h.tray->setIconList(&list);
        QList<int> offered;
        h.tray->OnCycle = [&](QObject*, int& next) {
            offered << next;
            next = 2;
            if (offered.size() == 2)
                h.tray->setCycleIcons(false);
        };
        h.tray->setCycleInterval(1);
        h.tray->setCycleIcons(true);
        QTRY_COMPARE(offered.size(), 2);
        QCOMPARE(offered, QList<int>({1, 0}));
        QCOMPARE(h.tray->IconIndex(), 2);
    }

    void cyclingWithoutListOnlyFiresEvent()
    {
        Harness h;
        QList<int> offered;
        h.tray->OnCycle = [&](QObject*, int& next) {
            offered << next;
            next = 5;
        };
        h.tray->setCycleInterval(1);
        h.tray->setCycleIcons(true);
        h.shell.calls.clear();
        QTRY_VERIFY(offered.size() >= 2);
        QCOMPARE(offered.first(), 0);
        QCOMPARE(h.tray->IconIndex(), 0);
        QVERIFY(h.shell.calls.isEmpty());
    }

    void cycleTimerTicksOnlyWithInterval_data()
    {
        QTest::addColumn<bool>("cycleIcons");
        QTest::addColumn<uint>("interval");
        QTest::addColumn<bool>("ticks");

        QTest::newRow("interval 0") << true << 0u << false;
        QTest::newRow("cycling off") << false << 1u << false;
        QTest::newRow("interval 1") << true << 1u << true;
    }
    void cycleTimerTicksOnlyWithInterval()
    {
        QFETCH(bool, cycleIcons);
        QFETCH(uint, interval);
        QFETCH(bool, ticks);

        Harness h;
        int cycles = 0;
        h.tray->OnCycle = [&](QObject*, int&) { ++cycles; };
        h.tray->setCycleIcons(cycleIcons);
        h.tray->setCycleInterval(interval);
        if (ticks) {
            QTRY_VERIFY(cycles > 0);
            // Writing interval 0 stops a running timer.
            h.tray->setCycleInterval(0);
            cycles = 0;
        }
        QTest::qWait(30);
        QCOMPARE(cycles, 0);
    }

    void destructionRemovesIcon_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::newRow("icon shown") << true;
        QTest::newRow("icon absent") << false;
    }
    void destructionRemovesIcon()
    {
        QFETCH(bool, visible);

        Harness h;
        h.tray->setIconVisible(visible);
        const quintptr window = h.tray->notifyData().hWnd;
        h.shell.calls.clear();
        delete h.tray;
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_DELETE}));
        QCOMPARE(h.shell.calls[0].record.hWnd, window);
        QVERIFY(!h.shell.shown);
        QVERIFY(!h.shell.messageWindowExists(window));
        h.shell.send(window, WM_LBUTTONDOWN);  // a late message reaches nothing
    }

    void ownerDestroysTray()
    {
        FakeTrayShell shell;
        auto owner = std::make_unique<QWidget>();
        QPointer<TTrayIcon> tray = new TTrayIcon(owner.get(), &shell);
        tray->setIconVisible(true);
        owner.reset();
        QVERIFY(tray.isNull());
        QVERIFY(!shell.shown);
    }

    void showMainWindowRestoresNormalPlacement_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("showTaskbarIcon");

        QTest::newRow("maximised") << int(Qt::WindowMaximized) << true;
        QTest::newRow("minimised") << int(Qt::WindowMinimized) << true;
        QTest::newRow("maximised, then minimised") << int(Qt::WindowMaximized | Qt::WindowMinimized) << true;
        QTest::newRow("no taskbar button") << int(Qt::WindowMaximized) << false;
    }
    void showMainWindowRestoresNormalPlacement()
    {
        QFETCH(int, state);
        QFETCH(bool, showTaskbarIcon);

        Harness h;
        TApplication* app = TApplication::instance();
        h.tray->setShowTaskbarIcon(showTaskbarIcon);
        h.owner.setGeometry(40, 50, 300, 200);
        h.owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.owner));
        const QRect normal = h.owner.geometry();
        h.owner.setWindowState(Qt::WindowStates(state));
        QCOMPARE(h.owner.windowState(), Qt::WindowStates(state));

        h.tray->HideMainWindow();
        QVERIFY(!h.owner.isVisible());
        QVERIFY(!app->applicationWindowVisible());

        h.shell.foreground.clear();
        h.tray->ShowMainWindow();
        QVERIFY(h.owner.isVisible());
        QCOMPARE(h.owner.windowState(), Qt::WindowNoState);
        QTRY_COMPARE(h.owner.geometry(), normal);
        QCOMPARE(app->applicationWindowVisible(), showTaskbarIcon);
        QCOMPARE(h.shell.foreground.last().data(), &h.owner);
    }

    void ownerHookFollowsShowAndHide()
    {
        Harness h;
        TApplication* app = TApplication::instance();
        app->showApplicationWindow(false);
        h.owner.show();
        QVERIFY(app->applicationWindowVisible());
        QCOMPARE(h.shell.foreground.size(), 2);
        QCOMPARE(h.shell.foreground.last().data(), &h.owner);

        h.owner.hide();
        QVERIFY(!app->applicationWindowVisible());

        h.tray->setShowTaskbarIcon(false);
        h.owner.show();
        QVERIFY(!app->applicationWindowVisible());
    }

    void minimizeToTray_data()
    {
        QTest::addColumn<bool>("minimizeToTray");
        QTest::addColumn<bool>("areaAvailable");
        QTest::addColumn<bool>("intoTray");
        QTest::newRow("on") << true << true << true;
        QTest::newRow("off") << false << true << false;
        QTest::newRow("on, no notification area") << true << false << false;
    }
    void minimizeToTray()
    {
        QFETCH(bool, minimizeToTray);
        QFETCH(bool, areaAvailable);
        QFETCH(bool, intoTray);

        Harness h;
        h.shell.available = areaAvailable;
        h.tray->setIconVisible(false);
        h.tray->setMinimizeToTray(minimizeToTray);
        h.owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.owner));
        h.shell.calls.clear();
        h.owner.showMinimized();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(h.owner.isVisible(), !intoTray);
        QCOMPARE(h.tray->IconVisible(), intoTray);
        QCOMPARE(h.shell.shown, intoTray);
    }

    void areaLostFiresOnlyWhileIconIsMeantToShow_data()
    {
        QTest::addColumn<bool>("iconVisible");
        QTest::addColumn<bool>("designMode");
        QTest::addColumn<int>("expected");
        QTest::newRow("icon shown") << true << false << 1;
        QTest::newRow("icon removed") << false << false << 0;
        QTest::newRow("in a designer") << true << true << 0;
    }
    void areaLostFiresOnlyWhileIconIsMeantToShow()
    {
        QFETCH(bool, iconVisible);
        QFETCH(bool, designMode);
        QFETCH(int, expected);

        Harness h;
        int lost = 0;
        h.tray->OnAreaLost = [&](QObject* sender) {
            QCOMPARE(sender, h.tray);
            ++lost;
        };
        h.tray->setDesignMode(designMode);
        h.tray->setIconVisible(iconVisible);
        QVERIFY(h.tray->AreaAvailable());
        h.shell.setAvailable(true);
        QCOMPARE(lost, 0);

        h.shell.setAvailable(false);
        QVERIFY(!h.tray->AreaAvailable());
        QCOMPARE(lost, expected);
        // Nothing is looked for on a timer: no report without an event.
        QTest::qWait(50);
        QCOMPARE(lost, expected);
    }

    void startMinimized()
    {
        Harness h;
        TApplication* app = TApplication::instance();
        h.tray->setDesignMode(true);
        h.tray->setStartMinimized(true);
        QVERIFY(app->showMainForm);
        h.tray->setStartMinimized(false);

        h.tray->setDesignMode(false);
        h.tray->setStartMinimized(true);
        QVERIFY(!app->showMainForm);
        QVERIFY(!app->applicationWindowVisible());

        // Writing false undoes nothing.
        h.tray->setStartMinimized(false);
        QVERIFY(!app->showMainForm);
        QVERIFY(!h.tray->StartMinimized());
    }

    void designPreview()
    {
        Harness h;
        h.tray->setDesignMode(true);
        h.tray->setIconVisible(true);
        h.tray->setHint("x");
        QVERIFY(h.shell.calls.isEmpty());

        h.tray->setIconVisible(false);
        h.tray->setDesignPreview(true);
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_ADD}));
        QVERIFY(!h.tray->IconVisible());
        h.tray->setHint("y");
        QCOMPARE(h.shell.messages(), QList<NotifyMessage>({NIM_ADD, NIM_MODIFY}));

        h.tray->setDesignPreview(false);
        QCOMPARE(h.shell.messages().last(), NIM_DELETE);
        QVERIFY(!h.shell.shown);
    }
};

VEXLO_TEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
