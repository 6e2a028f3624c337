#include "framework/LabelButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

LabelButton::LabelButton(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setTextColor(Qt::black);
}

void LabelButton::setTextColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

QColor LabelButton::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void LabelButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    setTextColor(Qt::yellow);
    emit mouseDown(event->button());
}

void LabelButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(event);
}

void LabelButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        event->button() == Qt::LeftButton && m_leftPressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    if (click)
        emit clicked();
    setTextColor(Qt::black);
    emit mouseUp(event->button());
}

void LabelButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Space:
            // Runs on the release, as a click does; held down it repeats nothing.
            if (!event->isAutoRepeat()) {
                m_spacePressed = true;
                setTextColor(Qt::yellow);
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit clicked();
            break;
        default:
            QLabel::keyPressEvent(event);
            return;
    }
    event->accept();
}

void LabelButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        QLabel::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!m_spacePressed)
        return;
    m_spacePressed = false;
    emit clicked();
    setTextColor(Qt::black);
}

void LabelButton::focusOutEvent(QFocusEvent* event)
{
    // Space let go elsewhere runs nothing here.
    if (m_spacePressed) {
        m_spacePressed = false;
        setTextColor(Qt::black);
    }
    QLabel::focusOutEvent(event);
}

void LabelButton::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The style's focus frame, as the check boxes beside it show theirs.
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
