#pragma once

#include <QProxyStyle>

// Draws the focus frame of check boxes, radio buttons and edit fields as a
// solid black line: the style's own light blue frame is all but invisible on
// the layout colours, black stands out on both (and on white).
class FocusFrameStyle : public QProxyStyle {
public:
    explicit FocusFrameStyle(QStyle* base = nullptr) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    static QColor frameColor();
};
