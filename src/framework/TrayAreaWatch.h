#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>

class QDBusServiceWatcher;

// Follows the desktop's notification area by its events, so that nothing has
// to look for it on a timer: on X11 the owner of the _NET_SYSTEM_TRAY_S<n>
// selection (XFixes tells when it changes), on D-Bus the owner of the
// StatusNotifierWatcher name. Without either, the area counts as absent.
class TrayAreaWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayAreaWatch(std::function<void()> onChange, QObject* parent = nullptr);
    ~TrayAreaWatch() override;

    bool available() const;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void watchX11Selection();
    void watchStatusNotifier();
    void changed();

    std::function<void()> m_onChange;
    // X11: the selection's atom and owner window (0: no owner), and the first
    // event number of the XFixes extension; 0 where X11 is not used.
    quint32 m_selection = 0;
    quint32 m_owner = 0;
    quint8 m_xfixesEvent = 0;
    QDBusServiceWatcher* m_statusNotifier = nullptr;
    mutable int m_statusNotifierRegistered = -1;  // -1: not asked yet
};
