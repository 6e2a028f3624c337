#pragma once

#include <QLabel>

// A plain text label that acts as a push button: any press turns its text
// yellow, the release turns it black again; a left press released over the
// label runs its action (clicked) before the colour goes back to black.
// A window that lets it take the focus by Tab (Qt::TabFocus) gets a framed
// button that Space and Enter run as a click does.
class LabelButton : public QLabel {
    Q_OBJECT
public:
    explicit LabelButton(const QString& text, QWidget* parent = nullptr);

    void setTextColor(const QColor& color);
    QColor textColor() const;

signals:
    void clicked();
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_leftPressed = false;
    bool m_spacePressed = false;
};
