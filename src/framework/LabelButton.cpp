#include "framework/LabelButton.h"

#include <QMouseEvent>

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
