#pragma once

#include <QLabel>
#include <QPixmap>

// A picture stretched to its box that is drawn from a second, twice as
// detailed copy on screens of more than one device pixel per pixel, so it
// stays sharp at 1.5x and 2x; at 1x it shows the first copy as it is. The
// detailed copy is read from its file only once a screen asks for it.
class TPicture : public QLabel {
    Q_OBJECT
public:
    explicit TPicture(QWidget* parent = nullptr) : QLabel(parent) {}

    void setPictures(const QPixmap& single, const QString& twiceFile);

protected:
    bool event(QEvent* event) override;

private:
    void ShowFitting();

    QPixmap m_single;
    QString m_twiceFile;
    QPixmap m_twice;
};
