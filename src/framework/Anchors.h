#pragma once

#include <QObject>
#include <QRect>
#include <QVector>

class QWidget;

// Keeps a control's distances to the anchored edges of its container when
// the container is resized (the controls themselves sit at fixed pixels).
enum Anchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class Anchors : public QObject {
public:
    explicit Anchors(QObject* parent = nullptr) : QObject(parent) {}
    // Records the control's current geometry against its parent's size.
    void add(QWidget* control, int anchors);
    // Takes a registered control's current geometry as its new reference.
    void refresh(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QWidget* control;
        int anchors;
        QRect geometry;
        QSize parentSize;
    };
    QVector<Entry> m_entries;
};
