#include "framework/LaterRepaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QVector>
#include <QWidget>
#include <utility>

namespace {

// Below the window's own update request (Qt::LowEventPriority), so that the
// release comes once the window has painted what was pending.
constexpr int ReleasePriority = Qt::LowEventPriority - 1;

const QString PassName = QStringLiteral("laterRepaintPass");

// The one release of a window's held widgets. Released one by one, each
// would paint and reach the screen in a pass of its own: the window's update
// request, posted by the first, comes before the release of the next.
class ReleasePass : public QObject {
public:
    explicit ReleasePass(QWidget* window) : QObject(window) { setObjectName(PassName); }

    static ReleasePass* of(QWidget* widget)
    {
        QWidget* window = widget->window();
        auto* pass = dynamic_cast<ReleasePass*>(window->findChild<QObject*>(PassName, Qt::FindDirectChildrenOnly));
        return pass ? pass : new ReleasePass(window);
    }

    void add(LaterRepaint* later)
    {
        m_waiting.append(later);
        if (m_waiting.size() == 1 && !m_releasing)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), ReleasePriority);
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        // A refresh may hold other widgets of the window: they join this pass.
        const QScopedValueRollback<bool> releasing(m_releasing, true);
        while (!m_waiting.isEmpty())
            for (const QPointer<LaterRepaint>& later : std::exchange(m_waiting, {}))
                if (later)
                    later->release();
        return true;
    }

private:
    QVector<QPointer<LaterRepaint>> m_waiting;
    bool m_releasing = false;
};

}  // namespace

LaterRepaint::LaterRepaint(QWidget* widget) : QObject(widget), m_widget(widget) {}

void LaterRepaint::hold()
{
    if (!m_disabled) {
        m_disabled = true;
        m_widget->setUpdatesEnabled(false);
    }
    post();
}

void LaterRepaint::update(const QRect& rect)
{
    m_dirty |= rect;
    post();
}

void LaterRepaint::refreshLater()
{
    m_stale = true;
    post();
}

void LaterRepaint::post()
{
    if (m_posted)
        return;
    m_posted = true;
    ReleasePass::of(m_widget)->add(this);
}

void LaterRepaint::release()
{
    if (!m_posted)
        return;
    // Still posted while it refreshes: what the refresh holds is painted now.
    if (std::exchange(m_stale, false) && m_refresh)
        m_refresh();
    m_posted = false;
    if (m_disabled) {
        m_disabled = false;
        m_widget->setUpdatesEnabled(true);  // repaints the whole widget
    } else {
        m_widget->update(m_dirty);
    }
    m_dirty = QRect();
}
