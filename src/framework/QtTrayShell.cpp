#include "framework/QtTrayShell.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "framework/Application.h"
#include "framework/TrayAreaWatch.h"

QtTrayShell::QtTrayShell(QObject* parent)
    : QObject(parent), m_areaWatch(new TrayAreaWatch([this] { notifyAvailabilityChanged(); }, this))
{
}

QtTrayShell::~QtTrayShell() = default;

bool QtTrayShell::notifyIcon(NotifyMessage message, const NotifyIconData& record)
{
    const bool sameIcon = m_added && record.hWnd == m_window && record.uID == m_id;
    switch (message) {
        case NIM_ADD:
            if (m_added)
                return false;
            m_added = true;
            m_window = record.hWnd;
            m_id = record.uID;
            apply(record);
            return true;
        case NIM_MODIFY:
            if (!sameIcon)
                return false;
            apply(record);
            return true;
        case NIM_DELETE:
            if (!sameIcon)
                return false;
            m_added = false;
            scheduleSync();
            return true;
    }
    return false;
}

bool QtTrayShell::isAvailable() const
{
    return m_areaWatch->available();
}

void QtTrayShell::apply(const NotifyIconData& record)
{
    if (record.uFlags & NIF_MESSAGE)
        m_callbackMessage = record.uCallbackMessage;
    if (record.uFlags & NIF_ICON) {
        if (record.hIcon.isNull()) {
            // An icon without a picture keeps its place in the area, empty.
            QPixmap blank(16, 16);
            blank.fill(Qt::transparent);
            m_picture = QIcon(blank);
        } else {
            m_picture = record.hIcon;
        }
    }
    if (record.uFlags & NIF_TIP)
        m_tip = record.tip();
    scheduleSync();
}

void QtTrayShell::scheduleSync()
{
    if (m_syncPending)
        return;
    m_syncPending = true;
    QMetaObject::invokeMethod(this, &QtTrayShell::sync, Qt::QueuedConnection);
}

void QtTrayShell::sync()
{
    m_syncPending = false;
    if (!m_icon) {
        if (!m_added)
            return;
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &QtTrayShell::iconActivated);
    }
    m_icon->setIcon(m_picture);
    m_icon->setToolTip(m_tip);
    m_icon->setVisible(m_added);
}

void QtTrayShell::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    QPointer<QtTrayShell> self(this);
    auto pair = [&](uint down, uint up) {
        deliver(down);
        // The first message's handler may have removed the tray and this shell.
        if (self)
            deliver(up);
    };
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            pair(WM_LBUTTONDOWN, WM_LBUTTONUP);
            break;
        case QSystemTrayIcon::DoubleClick:
            deliver(WM_LBUTTONDBLCLK);
            break;
        case QSystemTrayIcon::MiddleClick:
            pair(WM_MBUTTONDOWN, WM_MBUTTONUP);
            break;
        case QSystemTrayIcon::Context:
            pair(WM_RBUTTONDOWN, WM_RBUTTONUP);
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

void QtTrayShell::deliver(uint mouseMessage)
{
    // Each message reaches the program's handlers on its own: an error in the
    // first is shown and the second still arrives.
    if (m_added && (m_callbackMessage != 0))
        TApplication::Guard([&] { sendMessage(m_window, m_callbackMessage, m_id, mouseMessage); });
}

QPoint QtTrayShell::cursorPos() const
{
    return QCursor::pos();
}

TShiftState QtTrayShell::keyState() const
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ssShift;
    if (modifiers & Qt::ControlModifier)
        state |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        state |= ssAlt;
    return state;
}

void QtTrayShell::setForegroundWindow(QWidget* window)
{
    if (!window)
        return;
    window->raise();
    window->activateWindow();
}

void QtTrayShell::processMessages()
{
    QCoreApplication::processEvents();
}

void QtTrayShell::popupMenu(QMenu* menu, const QPoint& position)
{
    if (menu)
        menu->exec(position);
}
