#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

// Files dragged from the file manager onto a window open through one
// handler; every other drag (text from another program) goes on to the
// widget under it as before.
class FileDrop : public QObject {
    Q_OBJECT
public:
    // Takes drops on window and on the given widgets inside it that accept
    // drops of their own (a text area's viewport). The handler runs after the
    // drop has finished, so the dragging program is not kept waiting; its
    // errors go to the error box.
    FileDrop(QWidget* window, const QList<QWidget*>& dropSites, std::function<void(const QString&)> onFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_onFile;
};

// The first local file a drag carries, or an empty text when it carries none.
QString DroppedFile(const QMimeData* data);
