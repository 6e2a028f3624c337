#include "windows/TrayIcon.h"

#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <climits>

#include "framework/Application.h"
#include "framework/Guarded.h"
#include "framework/QtTrayShell.h"

TTrayIcon::TTrayIcon(QWidget* owner, TrayShell* shell) : QObject(owner), m_owner(owner)
{
    // The desktop shell is a child, so it outlives the removal of the icon below.
    m_shell = shell ? shell : new QtTrayShell(this);
    m_data.hWnd = m_shell->createMessageWindow(
        [this](uint message, quintptr wParam, qintptr lParam) { return TrayWindowProc(message, wParam, lParam); });

    m_cycleTimer = new QTimer(this);
    connect(m_cycleTimer, &QTimer::timeout, this, Guarded(this, &TTrayIcon::CycleTimerTick));
    // The shell says when the area comes or goes: nothing looks for it on a timer.
    m_shell->setAvailabilityListener([this] { TApplication::Guard([this] { AreaChanged(); }); });

    installHooks();
}

TTrayIcon::~TTrayIcon()
{
    setIconVisible(false);
    m_shell->destroyMessageWindow(m_data.hWnd);
    m_shell->setAvailabilityListener({});
    m_cycleTimer->stop();
    removeHooks();
}

void TTrayIcon::Loaded()
{
    RefreshTrayIcon();
    setIconVisible(m_iconVisible);
}

void TTrayIcon::Notification(QObject* component)
{
    if (!component)
        return;
    if (component == m_iconListObject) {
        m_iconList = nullptr;
        m_iconListObject = nullptr;
        setIconList(nullptr);
    }
    if (component == m_popupMenuObject) {
        m_popupMenu = nullptr;
        m_popupMenuObject = nullptr;
    }
}

// Properties

void TTrayIcon::setIcon(const QIcon& value)
{
    m_icon = value;
    RefreshTrayIcon();
}

void TTrayIcon::setIconVisible(bool value)
{
    // Every write goes to the shell, also when the value does not change.
    if (value)
        ShowTrayIcon();
    else
        HideTrayIcon();
}

void TTrayIcon::setHint(const QString& value)
{
    m_hint = value;
    RefreshTrayIcon();
}

void TTrayIcon::setShowHint(bool value)
{
    m_showHint = value;
    RefreshTrayIcon();
}

void TTrayIcon::setPopupMenu(QMenu* menu)
{
    if (m_popupMenuObject)
        disconnect(m_popupMenuObject, &QObject::destroyed, this, &TTrayIcon::Notification);
    m_popupMenu = menu;
    // Kept apart so the menu can be recognised while it is being destroyed.
    m_popupMenuObject = menu;
    if (menu)
        connect(menu, &QObject::destroyed, this, &TTrayIcon::Notification);
}

void TTrayIcon::setStartMinimized(bool value)
{
    if (value == m_startMinimized)
        return;
    m_startMinimized = value;
    if (value && !m_designMode) {
        if (TApplication* app = TApplication::instance()) {
            app->showMainForm = false;
            app->showApplicationWindow(false);
        }
    }
}

void TTrayIcon::setIconIndex(int value)
{
    if (m_iconList) {
        m_iconIndex = value;
        const int count = m_iconList->Count();
        if (value >= count)
            m_iconIndex = count - 1;
        // An index outside the list (empty list, negative index) shows no picture.
        m_icon = m_iconList->GetIcon(m_iconIndex);
    } else {
        m_iconIndex = 0;
    }
    RefreshTrayIcon();
}

void TTrayIcon::setDesignPreview(bool value)
{
    m_designPreview = value;
    m_previewInProgress = true;
    if (value)
        ShowTrayIcon();
    else
        HideTrayIcon();
    m_previewInProgress = false;
}

void TTrayIcon::setIconList(TImageList* list)
{
    if (m_iconListObject)
        disconnect(m_iconListObject, &QObject::destroyed, this, &TTrayIcon::Notification);
    m_iconList = list;
    m_iconListObject = list;
    if (list)
        connect(list, &QObject::destroyed, this, &TTrayIcon::Notification);
    setIconIndex(0);
}

void TTrayIcon::setCycleIcons(bool value)
{
    m_cycleIcons = value;
    if (value)
        setIconIndex(0);
    m_cycleTimerEnabled = value;
    updateCycleTimer();
}

void TTrayIcon::setCycleInterval(quint32 milliseconds)
{
    m_cycleInterval = milliseconds;
    updateCycleTimer();
}

void TTrayIcon::updateCycleTimer()
{
    // QTimer takes a signed interval; about 24 days is the longest it runs.
    const int interval = static_cast<int>(std::min<quint32>(m_cycleInterval, INT_MAX));
    // A QTimer with interval 0 would fire at every pass of the event loop;
    // the cycle timer must not tick at all then.
    if (m_cycleTimerEnabled && interval > 0) {
        if (!m_cycleTimer->isActive() || m_cycleTimer->interval() != interval)
            m_cycleTimer->start(interval);
    } else {
        m_cycleTimer->stop();
        m_cycleTimer->setInterval(interval);
    }
}

void TTrayIcon::CycleTimerTick()
{
    int next = 0;
    if (m_iconList) {
        if (m_iconIndex < m_iconList->Count() - 1)
            next = m_iconIndex + 1;
        FireCycle(next);
        setIconIndex(next);
    } else {
        FireCycle(next);
    }
}

// Notification area

bool TTrayIcon::ShowTrayIcon()
{
    if (!m_previewInProgress)
        m_iconVisible = true;
    if (m_designMode && !m_previewInProgress)
        return false;
    return FillNotifyData() && m_shell->notifyIcon(NIM_ADD, m_data);
}

bool TTrayIcon::HideTrayIcon()
{
    if (!m_previewInProgress)
        m_iconVisible = false;
    if (m_designMode && !m_previewInProgress)
        return false;
    return FillNotifyData() && m_shell->notifyIcon(NIM_DELETE, m_data);
}

bool TTrayIcon::RefreshTrayIcon()
{
    return FillNotifyData() && m_shell->notifyIcon(NIM_MODIFY, m_data);
}

void TTrayIcon::AreaChanged()
{
    // Only an icon meant to be shown has anything waiting behind it.
    if (!m_iconVisible || m_designMode || m_shell->isAvailable())
        return;
    if (OnAreaLost)
        OnAreaLost(this);
}

bool TTrayIcon::FillNotifyData()
{
    if (m_designMode && !m_previewInProgress && !m_designPreview)
        return false;
    m_data.hIcon = m_icon;
    if (!m_hint.isEmpty() && m_showHint)
        m_data.setTip(m_hint);
    else
        m_data.clearTip();
    return true;
}

// Mouse activity on the icon

qintptr TTrayIcon::TrayWindowProc(uint message, quintptr /*wParam*/, qintptr lParam)
{
    if (message != WM_TRAYCALLBACK || !m_enabled)
        return 0;

    const QPoint position = m_shell->cursorPos();
    const int x = position.x();
    const int y = position.y();
    const TShiftState shift = CurrentShiftState();
    // A handler may destroy the tray; nothing of it is touched after that.
    const QPointer<TTrayIcon> self(this);

    switch (static_cast<uint>(lParam)) {
        case WM_MOUSEMOVE:
            FireMouseMove(shift, x, y);
            break;
        case WM_LBUTTONDOWN:
            FireMouseDown(mbLeft, shift | ssLeft, x, y);
            if (!self)
                break;
            m_clickPending = true;
            if (m_leftPopup)
                PopupAtPoint(position);
            break;
        case WM_LBUTTONUP:
            if (m_clickPending) {
                m_clickPending = false;
                FireClick();
            }
            if (self)
                FireMouseUp(mbLeft, shift | ssLeft, x, y);
            break;
        case WM_LBUTTONDBLCLK:
            FireDblClick();
            if (self && m_popupMenu && m_autoPopup && !m_leftPopup)
                runDefaultMenuItem();
            break;
        case WM_RBUTTONDOWN:
            FireMouseDown(mbRight, shift | ssRight, x, y);
            if (self)
                PopupAtPoint(position);
            break;
        case WM_RBUTTONUP:
            FireMouseUp(mbRight, shift | ssRight, x, y);
            break;
        case WM_MBUTTONDOWN:
            FireMouseDown(mbMiddle, shift | ssMiddle, x, y);
            break;
        case WM_MBUTTONUP:
            FireMouseUp(mbMiddle, shift | ssMiddle, x, y);
            break;
        default:
            break;
    }
    return 0;
}

TShiftState TTrayIcon::CurrentShiftState() const
{
    return m_shell->keyState() & (ssShift | ssAlt | ssCtrl);
}

void TTrayIcon::runDefaultMenuItem()
{
    QAction* item = m_popupMenu->defaultAction();
    // Only one of the menu's own items counts; a disabled one does nothing.
    if (item && m_popupMenu->actions().contains(item))
        item->trigger();
}

void TTrayIcon::PopupAtPoint(const QPoint& position)
{
    if (!m_popupMenu || !m_autoPopup)
        return;
    m_shell->processMessages();
    // The pending messages may have removed the menu.
    if (!m_popupMenu || !m_autoPopup)
        return;

    QWidget* front = nullptr;
    if (QWidget* active = QApplication::focusWidget())
        front = active->window();
    m_shell->setForegroundWindow(front ? front : mainWindow());

    m_popupMenu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
    // The menu closes by itself here; no wake-up message to the owner is needed.
    m_shell->popupMenu(m_popupMenu, position);
}

// Main window

QWidget* TTrayIcon::mainWindow() const
{
    if (TApplication* app = TApplication::instance(); app && app->mainWindow())
        return app->mainWindow();
    return m_owner ? m_owner->window() : nullptr;
}

void TTrayIcon::ShowMainWindow()
{
    QWidget* main = mainWindow();
    QWidget* placed = m_owner ? m_owner->window() : main;
    // Back to the normal size and position, before it is mapped again, so the
    // window does not first come back minimised or maximised.
    if (placed)
        placed->setWindowState(placed->windowState() &
                               ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (main)
        main->setVisible(true);
    if (TApplication* app = TApplication::instance())
        app->showApplicationWindow(m_showTaskbarIcon);
    m_shell->setForegroundWindow(main);
}

void TTrayIcon::HideMainWindow()
{
    if (QWidget* main = mainWindow())
        main->setVisible(false);
}

void TTrayIcon::GoToTray()
{
    // Without a notification area the hidden window could not be brought back.
    if (!AreaAvailable())
        return;
    HideMainWindow();
    setIconVisible(true);
}

// Hooks

void TTrayIcon::installHooks()
{
    if (m_designMode)
        return;
    // The application window carries no window of its own here: its
    // minimising is the main window's.
    if (QWidget* main = mainWindow()) {
        main->installEventFilter(this);
        m_applicationHook = main;
    }
    if (m_owner) {
        m_owner->installEventFilter(this);
        m_ownerHook = m_owner;
        m_sessionHook = connect(qApp, &QGuiApplication::commitDataRequest, this, Guarded([this](QSessionManager&) {
                                    if (OnQueryEndSession)
                                        OnQueryEndSession(this);
                                }));
    }
}

void TTrayIcon::removeHooks()
{
    if (m_applicationHook)
        m_applicationHook->removeEventFilter(this);
    if (m_ownerHook)
        m_ownerHook->removeEventFilter(this);
    disconnect(m_sessionHook);
    m_applicationHook = nullptr;
    m_ownerHook = nullptr;
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (m_ownerHook && watched == m_ownerHook.data())
        OwnerWindowProc(event);
    if (m_applicationHook && watched == m_applicationHook.data())
        ApplicationWindowProc(event);
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::OwnerWindowProc(QEvent* event)
{
    TApplication* app = TApplication::instance();
    switch (event->type()) {
        case QEvent::Show:
            // Only a show or hide by request; the window system's own (minimising,
            // restoring) does not count.
            if (event->spontaneous())
                break;
            if (app)
                app->showApplicationWindow(m_showTaskbarIcon);
            m_shell->setForegroundWindow(mainWindow());
            m_shell->setForegroundWindow(m_owner);
            break;
        case QEvent::Hide:
            if (!event->spontaneous() && app)
                app->showApplicationWindow(false);
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (QWidget* active = QApplication::focusWidget())
                active->setFocus();
            break;
        default:
            break;
    }
}

void TTrayIcon::ApplicationWindowProc(QEvent* event)
{
    if (event->type() != QEvent::WindowStateChange || !m_minimizeToTray)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool minimized = m_applicationHook->windowState() & Qt::WindowMinimized;
    if (minimized && !(change->oldState() & Qt::WindowMinimized)) {
        // Hidden once the window system has finished minimising.
        QTimer::singleShot(0, this, Guarded(this, &TTrayIcon::GoToTray));
    }
}

// Event dispatchers

void TTrayIcon::FireClick()
{
    if (OnClick)
        OnClick(this);
}

void TTrayIcon::FireDblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TTrayIcon::FireCycle(int& nextIndex)
{
    if (OnCycle)
        OnCycle(this, nextIndex);
}

void TTrayIcon::FireMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::FireMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TTrayIcon::FireMouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}
