#include "windows/placement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// The frame the window manager has put around a shown window; null while it
// is unknown. Before the frame is mapped the window system may report any
// figures, so only an exposed window's are taken.
QMargins ShownFrame(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    if (!window->isVisible() || !handle || !handle->isExposed())
        return {};
    const QMargins frame = handle->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0)
        return {};
    return frame;
}

// Keeps a window centred over another by its outer frame: places it at each
// showing with the best frame known, and once more when the real frame shows.
class FramePlacer : public QObject {
public:
    explicit FramePlacer(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    static FramePlacer* of(const QWidget* window)
    {
        for (QObject* child : window->children())
            if (auto* placer = dynamic_cast<FramePlacer*>(child))
                return placer;
        return nullptr;
    }

    // The window's frame as last seen, null when never seen.
    QMargins knownFrame() const { return m_frame; }

    void centre(const QWidget* over)
    {
        m_over = over;
        m_used = estimatedFrame();
        place();
        m_waiting = true;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!m_waiting)
            return false;
        switch (event->type()) {
            case QEvent::Hide:
                m_waiting = false;
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Paint:
            case QEvent::WindowActivate: {
                const QMargins frame = ShownFrame(m_window);
                if (frame.isNull())
                    break;
                m_waiting = false;
                m_frame = frame;
                if (frame != m_used) {
                    m_used = frame;
                    place();
                }
                break;
            }
            default:
                break;
        }
        return false;
    }

private:
    static QMargins frameOf(const QWidget* window)
    {
        const QMargins shown = ShownFrame(window);
        if (!shown.isNull())
            return shown;
        const FramePlacer* placer = of(window);
        return placer ? placer->knownFrame() : QMargins();
    }

    // Its own frame once seen; before, one the window manager has given
    // another window of the program, which it frames alike.
    QMargins estimatedFrame() const
    {
        if (!m_frame.isNull())
            return m_frame;
        if (m_over) {
            const QMargins over = frameOf(m_over);
            if (!over.isNull())
                return over;
        }
        for (const QWidget* other : QApplication::topLevelWidgets()) {
            const QMargins frame = other == m_window ? QMargins() : frameOf(other);
            if (!frame.isNull())
                return frame;
        }
        return {};
    }

    void place()
    {
        QRect area;
        if (m_over && m_over->isVisible())
            area = m_over->geometry().marginsAdded(frameOf(m_over));
        else if (const QScreen* screen = m_window->screen())
            area = screen->availableGeometry();
        else
            return;
        const QRect target = CentredClientRect(m_window->size(), m_used, area);
        if (target != m_window->geometry())
            m_window->setGeometry(target);
    }

    QWidget* m_window;
    QPointer<const QWidget> m_over;
    QMargins m_frame;  // as last seen
    QMargins m_used;   // the frame the current placement assumed
    bool m_waiting = false;
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
    FramePlacer* placer = FramePlacer::of(window);
    if (!placer)
        placer = new FramePlacer(window);
    placer->centre(over);
}

void CentreOverMainWindow(QWidget* dialog)
{
    const QWidget* owner = dialog->parentWidget();
    while (owner && owner->parentWidget())
        owner = owner->parentWidget();
    CentreOver(dialog, owner);
}
