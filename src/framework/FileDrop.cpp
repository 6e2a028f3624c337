#include "framework/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "framework/Application.h"
#include "framework/FileName.h"

QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls()) {
        // The path's bytes as the dragging program sent them, UTF-8 or not.
        if (url.isLocalFile() && !url.path().isEmpty())
            return FileName::Decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    }
    return QString();
}

FileDrop::FileDrop(QWidget* window, const QList<QWidget*>& dropSites, std::function<void(const QString&)> onFile)
    : QObject(window), m_onFile(std::move(onFile))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget* site : dropSites)
        site->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (DroppedFile(drag->mimeData()).isEmpty())
                break;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = DroppedFile(drop->mimeData());
            if (file.isEmpty())
                break;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            QTimer::singleShot(0, this, [this, file] { TApplication::Guard([this, file] { m_onFile(file); }); });
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
