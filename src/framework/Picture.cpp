#include "framework/Picture.h"

#include <QEvent>

void TPicture::setPictures(const QPixmap& single, const QPixmap& twice)
{
    m_single = single;
    m_twice = twice;
    m_twice.setDevicePixelRatio(2);
    setScaledContents(true);
    ShowFitting();
}

bool TPicture::event(QEvent* event)
{
    // A window moved to a screen of another scale shows the copy that fits it.
    if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show)
        ShowFitting();
    return QLabel::event(event);
}

void TPicture::ShowFitting()
{
    const QPixmap& fitting = devicePixelRatioF() > 1 && !m_twice.isNull() ? m_twice : m_single;
    if (pixmap().cacheKey() != fitting.cacheKey())
        setPixmap(fitting);
}
