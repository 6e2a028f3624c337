#include "framework/Anchors.h"

#include <QEvent>
#include <QWidget>

void Anchors::add(QWidget* control, int anchors)
{
    QWidget* parent = control->parentWidget();
    m_entries.append({control, anchors, control->geometry(), parent->size()});
    parent->installEventFilter(this);
}

bool Anchors::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Resize)
        return false;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.control->parentWidget() != watched)
            continue;
        const QSize now = entry.control->parentWidget()->size();
        const int dw = now.width() - entry.parentSize.width();
        const int dh = now.height() - entry.parentSize.height();
        QRect r = entry.geometry;
        if (entry.anchors & akRight) {
            if (entry.anchors & akLeft)
                r.setWidth(r.width() + dw);
            else
                r.moveLeft(r.left() + dw);
        }
        if (entry.anchors & akBottom) {
            if (entry.anchors & akTop)
                r.setHeight(r.height() + dh);
            else
                r.moveTop(r.top() + dh);
        }
        entry.control->setGeometry(r);
    }
    return false;
}

void Anchors::refresh(QWidget* control)
{
    for (Entry& entry : m_entries) {
        if (entry.control == control) {
            entry.geometry = control->geometry();
            entry.parentSize = control->parentWidget()->size();
        }
    }
}
