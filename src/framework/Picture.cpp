#include "framework/Picture.h"

#include <QEvent>

#include "framework/PngImage.h"

void TPicture::setPictures(const QPixmap& single, const QString& twiceFile)
{
    m_single = single;
    m_twiceFile = twiceFile;
    m_twice = QPixmap();
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
    const bool detailed = devicePixelRatioF() > 1;
    if (detailed && m_twice.isNull() && !m_twiceFile.isEmpty()) {
        m_twice = QPixmap::fromImage(ReadPng(m_twiceFile));
        m_twice.setDevicePixelRatio(2);
        m_twiceFile.clear();  // read once, found or not
    }
    const QPixmap& fitting = detailed && !m_twice.isNull() ? m_twice : m_single;
    if (pixmap().cacheKey() != fitting.cacheKey())
        setPixmap(fitting);
}
