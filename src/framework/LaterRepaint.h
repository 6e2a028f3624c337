#pragma once

#include <QObject>
#include <QRect>
#include <functional>

class QWidget;

// Holds a widget's repaints back until the window has painted and shown what
// the same event changed elsewhere, then paints the widget in a pass of its
// own: a typed character reaches the screen first, the figures beside it a
// moment later, and the changes of several events in between are painted
// together. The held widgets of one window are released together, so that
// they reach the screen in one pass. What the widget shows can be worked out
// then too, so that the work does not delay the event's first repaint. It
// lives as long as the widget, its parent.
class LaterRepaint : public QObject {
public:
    explicit LaterRepaint(QWidget* widget);

    // Call before a change after which the widget repaints itself (as a
    // label does): all of it is painted later.
    void hold();
    // Paints the rectangle later, with whatever else is pending.
    void update(const QRect& rect);
    // Works out what the widget shows, called on release after refreshLater().
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    // What the widget shows is out of date: it is worked out and painted later.
    void refreshLater();
    bool holding() const { return m_posted; }
    // Paints what is held now.
    void release();

private:
    void post();

    QWidget* m_widget;
    bool m_posted = false;
    bool m_disabled = false;
    bool m_stale = false;
    std::function<void()> m_refresh;
    QRect m_dirty;
};
