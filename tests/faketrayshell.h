#pragma once

#include <QList>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "framework/TrayShell.h"

// A notification area that records every call and lets the test act as the
// shell: send callback messages, set the cursor and keys, choose menu items.
class FakeTrayShell : public TrayShell {
public:
    struct Call {
        NotifyMessage message;
        NotifyIconData record;
        bool result;
    };
    struct Popup {
        QMenu* menu;
        QPoint position;
    };

    bool notifyIcon(NotifyMessage message, const NotifyIconData& record) override
    {
        // Behaves like the real area: no second add, nothing to change or remove when absent.
        bool result = true;
        if (message == NIM_ADD)
            result = !shown;
        else
            result = shown;
        if (message == NIM_ADD && result)
            shown = true;
        if (message == NIM_DELETE && result)
            shown = false;
        calls.append({message, record, result});
        return result;
    }
    bool isAvailable() const override { return available; }
    QPoint cursorPos() const override { return cursor; }
    TShiftState keyState() const override { return keys; }
    void setForegroundWindow(QWidget* window) override { foreground.append(window); }
    void processMessages() override
    {
        ++processed;
        if (onProcess)
            onProcess();
    }
    void popupMenu(QMenu* menu, const QPoint& position) override
    {
        popups.append({menu, position});
        if (onPopup)
            onPopup(menu);
    }

    // The desktop's area comes or goes, and says so as the real one does.
    void setAvailable(bool now)
    {
        available = now;
        notifyAvailabilityChanged();
    }

    // Sends the tray callback message for a mouse message to the tray's window.
    void send(quintptr window, uint mouseMessage, uint message = WM_TRAYCALLBACK)
    {
        sendMessage(window, message, 1, mouseMessage);
    }

    QList<NotifyMessage> messages() const
    {
        QList<NotifyMessage> list;
        for (const Call& call : calls)
            list.append(call.message);
        return list;
    }

    bool shown = false;
    bool available = true;  // whether the desktop has a notification area
    QList<Call> calls;
    QPoint cursor;
    TShiftState keys = 0;
    QList<QPointer<QWidget>> foreground;
    int processed = 0;
    QList<Popup> popups;
    std::function<void(QMenu*)> onPopup;
    std::function<void()> onProcess;
};
