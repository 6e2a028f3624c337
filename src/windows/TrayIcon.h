#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>

#include "framework/ImageList.h"
#include "framework/ShiftState.h"
#include "framework/TrayShell.h"

class QMenu;
class QTimer;
class QWidget;

// An icon in the desktop's notification area: it turns mouse activity on the
// icon into events, opens a pop-up menu on it, and hides and shows the
// application's main window together with its taskbar button.
//
// The owner (the window that holds the tray) is the QObject parent and gets
// the owner hook; call Loaded() once the owner has applied its description.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
    using TCycleEvent = std::function<void(QObject* Sender, int& NextIndex)>;

    // Without a shell the tray uses the desktop's notification area.
    explicit TTrayIcon(QWidget* owner, TrayShell* shell = nullptr);
    ~TTrayIcon() override;

    // Run by the owner once its description has been applied: adds the icon
    // when IconVisible is true.
    virtual void Loaded();
    // A component the tray refers to is going away.
    void Notification(QObject* component);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value) { m_enabled = value; }
    const QIcon& Icon() const { return m_icon; }
    void setIcon(const QIcon& value);
    bool IconVisible() const { return m_iconVisible; }
    void setIconVisible(bool value);
    const QString& Hint() const { return m_hint; }
    void setHint(const QString& value);
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool value);
    // A left double click runs the menu's default action (QMenu::setDefaultAction)
    // when it is one of the menu's own items.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu);
    // The menu's automatic pop-up: when off, the icon never opens the menu.
    bool AutoPopup() const { return m_autoPopup; }
    void setAutoPopup(bool value) { m_autoPopup = value; }
    bool LeftPopup() const { return m_leftPopup; }
    void setLeftPopup(bool value) { m_leftPopup = value; }
    bool StartMinimized() const { return m_startMinimized; }
    void setStartMinimized(bool value);
    bool MinimizeToTray() const { return m_minimizeToTray; }
    void setMinimizeToTray(bool value) { m_minimizeToTray = value; }
    int IconIndex() const { return m_iconIndex; }
    void setIconIndex(int value);
    bool DesignPreview() const { return m_designPreview; }
    void setDesignPreview(bool value);
    TImageList* IconList() const { return m_iconList; }
    void setIconList(TImageList* list);
    bool CycleIcons() const { return m_cycleIcons; }
    void setCycleIcons(bool value);
    quint32 CycleInterval() const { return m_cycleInterval; }
    void setCycleInterval(quint32 milliseconds);
    bool ShowTaskbarIcon() const { return m_showTaskbarIcon; }
    void setShowTaskbarIcon(bool value) { m_showTaskbarIcon = value; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TCycleEvent OnCycle;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnQueryEndSession;
    // The notification area went away while the icon was meant to be shown
    // (IconVisible true): whatever waits there must come back some other way.
    TNotifyEvent OnAreaLost;

    // Whether the desktop has a notification area now.
    bool AreaAvailable() const { return m_shell->isAvailable(); }

    // Add, remove or update the icon; true when the shell was called and
    // reported success.
    virtual bool ShowTrayIcon();
    virtual bool HideTrayIcon();
    virtual bool RefreshTrayIcon();

    // Main window visible in its normal placement, taskbar button as
    // ShowTaskbarIcon says, window in front.
    void ShowMainWindow();
    void HideMainWindow();

    // The message window's procedure.
    qintptr TrayWindowProc(uint message, quintptr wParam, qintptr lParam);

    // Whether the tray sits in a form designer; never in the program itself.
    bool designMode() const { return m_designMode; }
    void setDesignMode(bool value) { m_designMode = value; }

    // The record passed on every notification-area call.
    const NotifyIconData& notifyData() const { return m_data; }

protected:
    virtual void FireClick();
    virtual void FireDblClick();
    virtual void FireCycle(int& nextIndex);
    virtual void FireMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void FireMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void FireMouseMove(TShiftState shift, int x, int y);
    virtual void GoToTray();

    bool FillNotifyData();
    void PopupAtPoint(const QPoint& position);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CycleTimerTick();
    // The shell reports that the area may have come or gone.
    void AreaChanged();
    void updateCycleTimer();
    TShiftState CurrentShiftState() const;
    void runDefaultMenuItem();
    QWidget* mainWindow() const;
    void OwnerWindowProc(QEvent* event);
    void ApplicationWindowProc(QEvent* event);
    void installHooks();
    void removeHooks();

    TrayShell* m_shell;
    QPointer<QWidget> m_owner;

    bool m_enabled = true;
    QIcon m_icon;
    bool m_iconVisible = true;
    QString m_hint;
    bool m_showHint = false;
    QMenu* m_popupMenu = nullptr;
    QObject* m_popupMenuObject = nullptr;
    bool m_autoPopup = true;
    bool m_leftPopup = false;
    bool m_startMinimized = false;
    bool m_minimizeToTray = false;
    bool m_clickPending = false;
    QTimer* m_cycleTimer;
    bool m_cycleTimerEnabled = false;
    int m_iconIndex = 0;
    bool m_designPreview = false;
    bool m_previewInProgress = false;
    TImageList* m_iconList = nullptr;
    QObject* m_iconListObject = nullptr;
    bool m_cycleIcons = false;
    quint32 m_cycleInterval = 0;
    QPointer<QWidget> m_applicationHook;
    QPointer<QWidget> m_ownerHook;
    QMetaObject::Connection m_sessionHook;
    bool m_showTaskbarIcon = true;
    bool m_designMode = false;
    NotifyIconData m_data;
};
