#include "windows/ProCtrls.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <QtMath>
#include <algorithm>

#include "framework/Application.h"

namespace {

QPoint Step(TDirection direction)
{
    static const QPoint steps[] = {{0, 0}, {0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    return direction <= drDownRight ? steps[direction] : QPoint();
}

struct TPreset {
    TDirection highlightDirection;
    int highlightDepth;
    TDirection shadowDirection;
    int shadowDepth;
    int shadowSize;
    bool faceColouredText;
};

// Indexed by TShadowStyle; the row of ssCustom is never applied.
const TPreset Presets[] = {
    {drNone, 0, drNone, 0, 0, false},         // ssNone
    {drNone, 0, drNone, 0, 0, false},         // ssCustom
    {drUpLeft, 1, drNone, 0, 0, false},       // ssRaised
    {drUpLeft, 1, drDownRight, 1, 1, true},   // ssRaisedColor
    {drUpLeft, 1, drDownRight, 1, 1, false},  // ssRaisedShadow
    {drUpLeft, 1, drDownRight, 1, 4, false},  // ssRaisedThickShadow
    {drDownRight, 1, drNone, 0, 0, false},    // ssRecessed
    {drDownRight, 1, drUpLeft, 1, 1, true},   // ssRecessedColor
    {drDownRight, 1, drUpLeft, 1, 1, false},  // ssRecessedShadow
    {drNone, 0, drDownRight, 2, 1, false},    // ssShadow
    {drNone, 0, drDownRight, 1, 4, false},    // ssThickShadow
};

int ClampExtent(int value)
{
    return std::clamp(value, 0, MaxShadowExtent);
}

}  // namespace

TProCustomLabel::TProCustomLabel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    AdjustBounds();
}

void TProCustomLabel::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    AdjustBounds();
    update();
}

void TProCustomLabel::setElideWidth(int width)
{
    if (width == m_elideWidth)
        return;
    m_elideWidth = std::max(0, width);
    AdjustBounds();
    update();
}

QString TProCustomLabel::ShownCaption() const
{
    if (m_elideWidth <= 0 || m_wordWrap || m_angle != 0)
        return m_caption;
    const int flags = TextFlags() & (Qt::TextShowMnemonic | Qt::TextExpandTabs);
    return QFontMetrics(font()).elidedText(m_caption, Qt::ElideRight, m_elideWidth, flags);
}

bool TProCustomLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && ShownCaption() != m_caption) {
        const QString hint = toolTip().isEmpty() || toolTip() == m_caption ? m_caption : m_caption + u'\n' + toolTip();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), hint, this);
        return true;
    }
    return QWidget::event(event);
}

void TProCustomLabel::setAlignment(Qt::Alignment alignment)
{
    alignment &= Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter;
    if (alignment != Qt::AlignRight && alignment != Qt::AlignHCenter)
        alignment = Qt::AlignLeft;
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void TProCustomLabel::setAutoSize(bool autoSize)
{
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    AdjustBounds();
}

void TProCustomLabel::setWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    AdjustBounds();
    update();
}

void TProCustomLabel::setShowAccelChar(bool show)
{
    if (show == m_showAccelChar)
        return;
    m_showAccelChar = show;
    AdjustBounds();
    update();
}

void TProCustomLabel::setTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    update();
}

TColor TProCustomLabel::Color() const
{
    return m_parentColor ? FromQColor(palette().color(QPalette::Window)) : m_color;
}

void TProCustomLabel::setColor(TColor color)
{
    if (!m_parentColor && color == m_color)
        return;
    m_color = color;
    m_parentColor = false;
    update();
}

void TProCustomLabel::setParentColor(bool parentColor)
{
    if (parentColor == m_parentColor)
        return;
    m_parentColor = parentColor;
    update();
}

void TProCustomLabel::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    FontChanged();
}

void TProCustomLabel::setCursor(TCursor cursor)
{
    m_cursor = cursor;
    if (cursor == crDefault)
        unsetCursor();
    else
        QWidget::setCursor(ScreenCursor(cursor));
}

void TProCustomLabel::setAngle(int angle)
{
    angle %= 360;
    if (angle < 0)
        angle += 360;
    if (angle == m_angle)
        return;
    m_angle = angle;
    const double radians = qDegreesToRadians(double(angle));
    m_angleCos = std::cos(radians);
    m_angleSin = std::sin(radians);
    // A turned caption no longer fits the plain-text measure.
    if (angle != 0)
        setAutoSize(false);
    update();
}

void TProCustomLabel::setOffsetX(int offset)
{
    if (offset == m_offsetX)
        return;
    m_offsetX = offset;
    if (offset > 0)
        setAutoSize(false);
    update();
}

void TProCustomLabel::setOffsetY(int offset)
{
    if (offset == m_offsetY)
        return;
    m_offsetY = offset;
    if (offset > 0)
        setAutoSize(false);
    update();
}

template <typename T>
void TProCustomLabel::SetShadowField(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    if (!m_preset)
        m_shadowStyle = ssCustom;
    update();
}

void TProCustomLabel::setHighlightDirection(TDirection direction)
{
    SetShadowField(m_highlightDirection, direction);
}

void TProCustomLabel::setHighlightDepth(int depth)
{
    SetShadowField(m_highlightDepth, std::int32_t(depth));
}

void TProCustomLabel::setHighlightColor(TColor color)
{
    SetShadowField(m_highlightColor, color);
}

void TProCustomLabel::setShadowDirection(TDirection direction)
{
    SetShadowField(m_shadowDirection, direction);
}

void TProCustomLabel::setShadowDepth(int depth)
{
    SetShadowField(m_shadowDepth, TShadowDepth(ClampExtent(depth)));
}

void TProCustomLabel::setShadowSize(int size)
{
    SetShadowField(m_shadowSize, TShadowSize(ClampExtent(size)));
}

void TProCustomLabel::setShadowColor(TColor color)
{
    SetShadowField(m_shadowColor, color);
}

void TProCustomLabel::setShadowStyle(TShadowStyle style)
{
    if (style == m_shadowStyle || style > ssThickShadow)
        return;
    m_shadowStyle = style;
    if (style != ssCustom) {
        const TPreset& preset = Presets[style];
        m_preset = true;
        setHighlightDirection(preset.highlightDirection);
        setHighlightDepth(preset.highlightDepth);
        setHighlightColor(clBtnHighlight);
        setShadowDirection(preset.shadowDirection);
        setShadowDepth(preset.shadowDepth);
        setShadowSize(preset.shadowSize);
        setShadowColor(clBtnShadow);
        if (preset.faceColouredText)
            setFontColor(clBtnFace);
        m_preset = false;
    }
    update();
}

void TProCustomLabel::setVerticalAlignment(TVerticalAlignment alignment)
{
    if (alignment == m_verticalAlignment)
        return;
    m_verticalAlignment = alignment;
    update();
}

int TProCustomLabel::TextFlags() const
{
    int flags = int(m_alignment) | Qt::AlignTop | Qt::TextExpandTabs;
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

void TProCustomLabel::AdjustBounds()
{
    if (!m_autoSize)
        return;
    constexpr int unbounded = 32767;
    const int flags = (TextFlags() & ~int(Qt::AlignHorizontal_Mask)) | Qt::AlignLeft;
    // An empty caption still keeps the height of one line.
    const QString text = m_caption.isEmpty() ? QStringLiteral(" ") : m_caption;
    const QRect area(0, 0, m_wordWrap ? std::max(width(), 1) : unbounded, unbounded);
    QRect bounds = QFontMetrics(font()).boundingRect(area, flags, text);
    if (m_elideWidth > 0 && !m_wordWrap)
        bounds.setWidth(std::min(bounds.width(), m_elideWidth));
    int left = x();
    if (m_alignment == Qt::AlignRight)
        left += width() - bounds.width();
    setGeometry(left, y(), bounds.width(), bounds.height());
}

void TProCustomLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int flags = TextFlags();
    const bool rotated = m_angle != 0;
    const int clientWidth = width();
    const int clientHeight = height();
    QRect r = rect();

    if (!m_transparent)
        painter.fillRect(r, m_parentColor ? palette().color(QPalette::Window) : ToQColor(m_color));

    if (rotated) {
        const int w = metrics.horizontalAdvance(m_caption);
        const int h = metrics.height();
        const int wc = int(w * m_angleCos);
        const int ws = int(w * m_angleSin);
        const int hc = int(h * m_angleCos);
        const int hs = int(h * m_angleSin);
        int nw, nh;
        QPoint start;
        if (m_angle < 90) {
            nw = wc + hs;
            nh = ws + hc;
        } else if (m_angle < 180) {
            nw = hs - wc;
            nh = ws - hc;
        } else if (m_angle < 270) {
            nw = -wc - hs;
            nh = -ws - hc;
        } else {
            nw = wc - hs;
            nh = hc - ws;
        }
        nw = std::min(nw, clientWidth);
        nh = std::min(nh, clientHeight);
        r = QRect(0, 0, nw, nh);
        if (m_alignment == Qt::AlignHCenter)
            r.translate(qFloor((clientWidth - nw) / 2.0), 0);
        else if (m_alignment == Qt::AlignRight)
            r.translate(clientWidth - nw, 0);
        if (m_verticalAlignment == vaCenter)
            r.translate(0, qFloor((clientHeight - nh) / 2.0));
        else if (m_verticalAlignment == vaBottom)
            r.translate(0, clientHeight - nh);
        if (m_angle < 90)
            start = QPoint(0, ws);
        else if (m_angle < 180)
            start = QPoint(-wc, nh);
        else if (m_angle < 270)
            start = QPoint(nw, -hc);
        else
            start = QPoint(-hs, 0);
        r.translate(start);
    } else if (m_verticalAlignment != vaTop) {
        const int textHeight = metrics.boundingRect(r, flags, m_caption).height();
        const int shift = r.height() - textHeight;  // old bottom minus new bottom
        r.setHeight(textHeight);
        r.translate(0, m_verticalAlignment == vaCenter ? shift / 2 : shift);
    }

    const QString shown = ShownCaption();
    // A turned caption is one run from the top-left corner of r: no
    // wrapping, no tabs, no accelerator prefix.
    const int ascent = metrics.ascent();
    const auto textPass = [&](const QRect& at, TColor color) {
        painter.setPen(ToQColor(color));
        if (rotated) {
            painter.save();
            painter.translate(at.topLeft());
            painter.rotate(-m_angle);
            painter.drawText(QPoint(0, ascent), m_caption);
            painter.restore();
        } else {
            painter.drawText(at, flags, shown);
        }
    };

    r.translate(m_offsetX, m_offsetY);
    if (isEnabled()) {
        if (m_shadowStyle != ssNone) {
            const QRect origin = r;
            r.translate(Step(m_shadowDirection) * int(m_shadowDepth));
            for (int i = 0; i < m_shadowSize; ++i) {
                textPass(r, m_shadowColor);
                r.translate(Step(m_shadowDirection));
            }
            textPass(origin.translated(Step(m_highlightDirection) * m_highlightDepth), m_highlightColor);
            r = origin;
        }
        textPass(r, m_fontColor);
    } else {
        textPass(r.translated(1, 1), clBtnHighlight);
        textPass(r, clBtnShadow);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TProCustomLabel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TProCustomLabel::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TProCustomLabel::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TProCustomLabel::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TProCustomLabel::FontChanged()
{
    AdjustBounds();
    update();
}

void TProCustomLabel::mousePressEvent(QMouseEvent* event)
{
    // A press on the label proves the pointer is over it.
    m_pointerInside = true;
    const QPoint at = event->position().toPoint();
    TApplication::Guard([&] { MouseDown(event->button(), event->modifiers(), at.x(), at.y()); });
}

void TProCustomLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void TProCustomLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    TApplication::Guard([&] { MouseUp(event->button(), event->modifiers(), at.x(), at.y()); });
}

void TProCustomLabel::keyPressEvent(QKeyEvent* event)
{
    const QPoint centre = rect().center();
    switch (event->key()) {
        case Qt::Key_Space:
            if (!event->isAutoRepeat() && !m_spacePressed) {
                m_spacePressed = true;
                TApplication::Guard([&] { MouseDown(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y()); });
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            TApplication::Guard([&] {
                MouseDown(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y());
                MouseUp(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y());
            });
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TProCustomLabel::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!m_spacePressed)
        return;
    m_spacePressed = false;
    const QPoint centre = rect().center();
    TApplication::Guard([&] { MouseUp(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y()); });
}

void TProCustomLabel::focusOutEvent(QFocusEvent* event)
{
    // Space let go elsewhere: released off the label, which opens nothing.
    if (m_spacePressed) {
        m_spacePressed = false;
        TApplication::Guard([&] { MouseUp(Qt::LeftButton, Qt::NoModifier, -1, -1); });
    }
    QWidget::focusOutEvent(event);
}

void TProCustomLabel::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    // While a button is held the label keeps the pointer, and the window
    // system reports no crossing of its edge: the moves tell instead.
    if (event->buttons() != Qt::NoButton)
        SetPointerInside(rect().contains(event->position().toPoint()));
}

void TProCustomLabel::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    SetPointerInside(true);
}

void TProCustomLabel::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    SetPointerInside(false);
}

void TProCustomLabel::SetPointerInside(bool inside)
{
    // A crossing already seen in the moves is not reported twice.
    if (inside == m_pointerInside)
        return;
    m_pointerInside = inside;
    TApplication::Guard([inside, this] {
        if (inside)
            MouseEnter();
        else
            MouseLeave();
    });
}

void TProCustomLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FontChanged();
}

TProLabel::TProLabel(QWidget* parent) : TProCustomLabel(parent) {}
