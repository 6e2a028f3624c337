#include "framework/LaterRepaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

// Below the window's own update request (Qt::LowEventPriority), so that the
// release comes once the window has painted what was pending.
constexpr int ReleasePriority = Qt::LowEventPriority - 1;

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

void LaterRepaint::post()
{
    if (m_posted)
        return;
    m_posted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::User), ReleasePriority);
}

bool LaterRepaint::event(QEvent* event)
{
    if (event->type() != QEvent::User)
        return QObject::event(event);
    m_posted = false;
    if (m_disabled) {
        m_disabled = false;
        m_widget->setUpdatesEnabled(true);  // repaints the whole widget
    } else {
        m_widget->update(m_dirty);
    }
    m_dirty = QRect();
    return true;
}
