#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

// A numbered list of images of one size, as used for icon cycling.
class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QObject* parent = nullptr) : QObject(parent) {}

    int Count() const { return static_cast<int>(images.size()); }
    // An index outside the list gives an empty icon.
    QIcon GetIcon(int index) const { return index >= 0 && index < Count() ? images.at(index) : QIcon(); }

    QList<QIcon> images;
};
