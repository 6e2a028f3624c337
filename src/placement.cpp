#include "placement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// How long after a showing the real frame is awaited.
constexpr int FrameWaitMs = 3000;

bool IsFramed(const QWidget* window)
{
    return window->isVisible() && window->frameGeometry() != window->geometry();
}

QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The window's own frame once known; before, one the window manager has given
// another window of the program, which frames its windows alike.
QMargins EstimatedFrame(const QWidget* window, const QWidget* over)
{
    if (IsFramed(window))
        return FrameMargins(window);
    if (over && IsFramed(over))
        return FrameMargins(over);
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && IsFramed(other))
            return FrameMargins(other);
    return {};
}

bool Place(QWidget* window, const QWidget* over)
{
    QRect area;
    if (over && over->isVisible())
        area = over->frameGeometry();
    else if (const QScreen* screen = window->screen())
        area = screen->availableGeometry();
    else
        return false;
    const QRect target = CentredClientRect(window->size(), EstimatedFrame(window, over), area);
    if (target == window->geometry())
        return false;
    window->setGeometry(target);
    return true;
}

// Centres the window once more as soon as its real frame is known: the
// window manager frames it only after it is shown.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget* window, const QWidget* over) : QObject(window), m_window(window), m_over(over)
    {
        window->installEventFilter(this);
        QTimer::singleShot(FrameWaitMs, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
            case QEvent::Hide:
                deleteLater();
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Paint:
            case QEvent::WindowActivate:
                if (IsFramed(m_window)) {
                    Place(m_window, m_over);
                    m_window->removeEventFilter(this);
                    deleteLater();
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
    QWidget* m_window;
    QPointer<const QWidget> m_over;
};

}  // namespace

QRect CentredClientRect(QSize clientSize, const QMargins& frame, const QRect& area)
{
    QRect outer(QPoint(), clientSize.grownBy(frame));
    outer.moveCenter(area.center());
    return {outer.topLeft() + QPoint(frame.left(), frame.top()), clientSize};
}

void CentreOver(QWidget* window, const QWidget* over)
{
    Place(window, over);
    if (!IsFramed(window))
        new FrameWatch(window, over);
}
