#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "framework/TrayShell.h"

class TrayAreaWatch;

// The desktop's notification area through one QSystemTrayIcon. Activations
// become the mouse messages the tray's message window expects. No context
// menu is attached here: the tray icon opens its own menu on the right press.
class QtTrayShell : public QObject, public TrayShell {
    Q_OBJECT
public:
    explicit QtTrayShell(QObject* parent = nullptr);
    ~QtTrayShell() override;

    bool notifyIcon(NotifyMessage message, const NotifyIconData& record) override;
    bool isAvailable() const override;
    QPoint cursorPos() const override;
    TShiftState keyState() const override;
    void setForegroundWindow(QWidget* window) override;
    void processMessages() override;
    void popupMenu(QMenu* menu, const QPoint& position) override;

private:
    void apply(const NotifyIconData& record);
    // The area is updated once the current handler has returned, so an icon
    // added and removed again at once (as at start) never reaches the desktop.
    void scheduleSync();
    void sync();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void deliver(uint mouseMessage);

    TrayAreaWatch* m_areaWatch;
    QSystemTrayIcon* m_icon = nullptr;
    QIcon m_picture;
    QString m_tip;
    bool m_syncPending = false;
    bool m_added = false;
    quintptr m_window = 0;
    quint32 m_id = 0;
    quint32 m_callbackMessage = 0;
};
