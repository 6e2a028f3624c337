#include "framework/TrayAreaWatch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace {

const QString StatusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

}  // namespace

TrayAreaWatch::TrayAreaWatch(std::function<void()> onChange, QObject* parent)
    : QObject(parent), m_onChange(std::move(onChange))
{
    watchX11Selection();
    watchStatusNotifier();
}

TrayAreaWatch::~TrayAreaWatch()
{
    if (m_selection != 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayAreaWatch::watchX11Selection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    Owned(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));

    // The screen the program runs on, as the display name gives it.
    char* host = nullptr;
    int display = 0;
    int screenNumber = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screenNumber))
        screenNumber = 0;
    std::free(host);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return;
    const xcb_window_t root = screens.data->root;

    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
    auto atom = Owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()), nullptr));
    if (!atom)
        return;
    m_selection = atom->atom;
    m_xfixesEvent = xfixes->first_event;
    QCoreApplication::instance()->installNativeEventFilter(this);
    xcb_xfixes_select_selection_input(connection, root, m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    auto owner =
        Owned(xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, m_selection), nullptr));
    m_owner = owner ? owner->owner : 0;
}

void TrayAreaWatch::watchStatusNotifier()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_statusNotifier =
        new QDBusServiceWatcher(StatusNotifierWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_statusNotifier, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                m_statusNotifierRegistered = newOwner.isEmpty() ? 0 : 1;
                changed();
            });
}

bool TrayAreaWatch::available() const
{
    if (m_owner != 0)
        return true;
    if (!m_statusNotifier)
        return false;
    if (m_statusNotifierRegistered < 0) {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        m_statusNotifierRegistered = bus && bus->isServiceRegistered(StatusNotifierWatcher).value() ? 1 : 0;
    }
    return m_statusNotifierRegistered == 1;
}

bool TrayAreaWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != m_selection)
        return false;
    m_owner = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? notify->owner : 0;
    changed();
    // Qt may want the event too (its own tray code follows the same selection).
    return false;
}

void TrayAreaWatch::changed()
{
    if (m_onChange)
        m_onChange();
}
