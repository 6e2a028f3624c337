#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <map>

#include "framework/ShiftState.h"

class QMenu;
class QWidget;

// Window messages the notification area sends to a tray's message window.
constexpr uint WM_NULL = 0x0000;
constexpr uint WM_MOUSEMOVE = 0x0200;
constexpr uint WM_LBUTTONDOWN = 0x0201;
constexpr uint WM_LBUTTONUP = 0x0202;
constexpr uint WM_LBUTTONDBLCLK = 0x0203;
constexpr uint WM_RBUTTONDOWN = 0x0204;
constexpr uint WM_RBUTTONUP = 0x0205;
constexpr uint WM_RBUTTONDBLCLK = 0x0206;
constexpr uint WM_MBUTTONDOWN = 0x0207;
constexpr uint WM_MBUTTONUP = 0x0208;
constexpr uint WM_MBUTTONDBLCLK = 0x0209;

// The message a tray's message window receives for mouse activity on its icon.
constexpr uint WM_TRAYCALLBACK = 0x0800;

enum NotifyMessage : uint { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };

constexpr uint NIF_MESSAGE = 0x1;
constexpr uint NIF_ICON = 0x2;
constexpr uint NIF_TIP = 0x4;

// The record passed on every notification-area call.
struct NotifyIconData {
    quint32 cbSize = 88;
    quintptr hWnd = 0;  // the message window that receives the callback message
    quint32 uID = 1;
    quint32 uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    quint32 uCallbackMessage = WM_TRAYCALLBACK;
    QIcon hIcon;
    // Null-terminated text of at most 63 characters (UTF-16 units, as the
    // program counts them everywhere); a cut never splits a surrogate pair.
    char16_t szTip[64] = {};

    void setTip(const QString& text);
    void clearTip();
    QString tip() const;
};

// The notification-area service and the few desktop services a tray icon
// needs. The desktop implementation sits on QSystemTrayIcon; tests use a fake.
class TrayShell {
public:
    // A message window's procedure.
    using WindowProc = std::function<qintptr(uint message, quintptr wParam, qintptr lParam)>;

    virtual ~TrayShell() = default;

    // Adds, changes or removes the icon named by the record's window and
    // identifier; true on success.
    virtual bool notifyIcon(NotifyMessage message, const NotifyIconData& record) = 0;
    // Whether the desktop has a notification area to show an icon in. Not
    // every desktop has one, and one can go away while the program runs.
    virtual bool isAvailable() const = 0;

    // The cursor's screen position.
    virtual QPoint cursorPos() const = 0;
    // Which of Shift, Ctrl and Alt are down (button bits never set).
    virtual TShiftState keyState() const = 0;
    virtual void setForegroundWindow(QWidget* window) = 0;
    // Lets the application process all pending messages.
    virtual void processMessages() = 0;
    // Shows the menu at a screen point and returns once it has closed; a chosen
    // item's action has run by then.
    virtual void popupMenu(QMenu* menu, const QPoint& position) = 0;

    // Called whenever the area may have come or gone (the listener asks
    // isAvailable()); the desktop tells by an event, never by polling.
    void setAvailabilityListener(std::function<void()> listener) { m_availabilityListener = std::move(listener); }

    // Message windows: a number standing for a window, and its procedure.
    quintptr createMessageWindow(WindowProc proc);
    void destroyMessageWindow(quintptr window);
    bool messageWindowExists(quintptr window) const { return m_windows.count(window) != 0; }
    // Calls the window's procedure; 0 when the window does not exist.
    qintptr sendMessage(quintptr window, uint message, quintptr wParam, qintptr lParam);

protected:
    void notifyAvailabilityChanged()
    {
        if (m_availabilityListener)
            m_availabilityListener();
    }

private:
    std::function<void()> m_availabilityListener;
    std::map<quintptr, WindowProc> m_windows;
    quintptr m_nextWindow = 1;
};
