#include "framework/FocusFrameStyle.h"

#include <QPainter>
#include <QStyleOption>

QColor FocusFrameStyle::frameColor()
{
    return Qt::black;
}

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const bool focusRect = element == PE_FrameFocusRect;
    const bool focusedField = element == PE_FrameLineEdit && (option->state & State_HasFocus);
    if (!focusRect)
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (!focusRect && !focusedField)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // One pixel of the window, so as thick at 2x as at 1x.
    painter->setPen(QPen(frameColor(), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}
