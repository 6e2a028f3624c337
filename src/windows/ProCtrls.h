#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "framework/Colors.h"
#include "framework/CursorTable.h"

// Direction of the highlight and shadow copies; each value is a unit step.
enum TDirection : std::uint8_t { drNone, drUp, drDown, drLeft, drRight, drUpLeft, drUpRight, drDownLeft, drDownRight };

enum TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };

enum TShadowStyle : std::uint8_t {
    ssNone,
    ssCustom,
    ssRaised,
    ssRaisedColor,
    ssRaisedShadow,
    ssRaisedThickShadow,
    ssRecessed,
    ssRecessedColor,
    ssRecessedShadow,
    ssShadow,
    ssThickShadow
};

// Depth and size of the shadow, 0..1280.
using TShadowDepth = std::uint16_t;
using TShadowSize = std::uint16_t;
constexpr int MaxShadowExtent = 1280;

// A label that paints its caption itself: rotated, offset, aligned
// vertically, and with a highlight copy and shadow copies for a 3-D look.
// It also carries the plain label's properties (caption, alignment,
// auto-size, word wrap, accelerator prefix, transparency, colour, font
// colour) and reports button presses and pointer entry and exit as events.
//
// Properties are read by their own name (Angle()) and written with set
// (setAngle()); those the widget already has (font, enabled, geometry) keep
// the widget's accessors.
class TProCustomLabel : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TMouseEvent =
        std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TProCustomLabel(QWidget* parent = nullptr);

    // The plain label's properties.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Beside the label's own properties: a one-line caption wider than this
    // many pixels is shown cut with "…", and whole in the tooltip, above the
    // label's own hint; 0 (the default) always shows it whole.
    int ElideWidth() const { return m_elideWidth; }
    void setElideWidth(int width);
    // The caption as painted: cut when it is wider than ElideWidth.
    QString ShownCaption() const;
    // Horizontal alignment only: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wordWrap);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool show);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    // While ParentColor is on the label takes the colour of its parent;
    // assigning Color switches it off.
    TColor Color() const;
    void setColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool parentColor);
    // The colour belongs to the font: changing it is a font change.
    TColor FontColor() const { return m_fontColor; }
    void setFontColor(TColor color);
    QString Hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    TCursor Cursor() const { return m_cursor; }
    void setCursor(TCursor cursor);
    // A cursor given directly, not through the table.
    using QWidget::setCursor;
    void setCursor(Qt::CursorShape shape) { QWidget::setCursor(QCursor(shape)); }

    // The painted label's own properties.
    int Angle() const { return m_angle; }
    void setAngle(int angle);
    int OffsetX() const { return m_offsetX; }
    void setOffsetX(int offset);
    int OffsetY() const { return m_offsetY; }
    void setOffsetY(int offset);
    TDirection HighlightDirection() const { return m_highlightDirection; }
    void setHighlightDirection(TDirection direction);
    int HighlightDepth() const { return m_highlightDepth; }
    void setHighlightDepth(int depth);
    TColor HighlightColor() const { return m_highlightColor; }
    void setHighlightColor(TColor color);
    TShadowStyle ShadowStyle() const { return m_shadowStyle; }
    void setShadowStyle(TShadowStyle style);
    TDirection ShadowDirection() const { return m_shadowDirection; }
    void setShadowDirection(TDirection direction);
    TShadowDepth ShadowDepth() const { return m_shadowDepth; }
    void setShadowDepth(int depth);
    TShadowSize ShadowSize() const { return m_shadowSize; }
    void setShadowSize(int size);
    TColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(TColor color);
    TVerticalAlignment VerticalAlignment() const { return m_verticalAlignment; }
    void setVerticalAlignment(TVerticalAlignment alignment);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // Any change of the font, its colour included; re-fits an auto-sized label.
    virtual void FontChanged();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Taking the focus by Tab where a window lets it: Space and Enter press
    // and release the left button in the middle of the label.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Fires MouseEnter or MouseLeave when the pointer crosses the label's edge.
    void SetPointerInside(bool inside);
    int TextFlags() const;
    // Fits an auto-sized label to its caption as plain text.
    void AdjustBounds();
    // Stores a shadow or highlight value; outside a preset the style becomes custom.
    template <typename T>
    void SetShadowField(T& field, T value);

    QString m_caption;
    bool m_spacePressed = false;
    int m_elideWidth = 0;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSize = true;
    bool m_wordWrap = false;
    bool m_showAccelChar = true;
    bool m_transparent = false;
    bool m_parentColor = true;
    TColor m_color = clBtnFace;
    TColor m_fontColor = clWindowText;
    TCursor m_cursor = crDefault;

    std::int32_t m_angle = 0;
    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
    TDirection m_highlightDirection = drNone;
    std::int32_t m_highlightDepth = 0;
    TColor m_highlightColor = clBtnHighlight;
    TShadowStyle m_shadowStyle = ssNone;
    TDirection m_shadowDirection = drNone;
    TShadowDepth m_shadowDepth = 0;
    TShadowSize m_shadowSize = 0;
    TColor m_shadowColor = clBtnShadow;
    TVerticalAlignment m_verticalAlignment = vaTop;
    double m_angleCos = 0;
    double m_angleSin = 0;
    bool m_preset = false;
    bool m_pointerInside = false;
};

// The painted label with its properties published for window descriptions.
class TProLabel : public TProCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(uint Color READ Color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE setParentColor)
    Q_PROPERTY(uint FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(int Cursor READ Cursor WRITE setCursor)
    Q_PROPERTY(int Angle READ Angle WRITE setAngle)
    Q_PROPERTY(int OffsetX READ OffsetX WRITE setOffsetX)
    Q_PROPERTY(int OffsetY READ OffsetY WRITE setOffsetY)
    Q_PROPERTY(TDirection HighlightDirection READ HighlightDirection WRITE setHighlightDirection)
    Q_PROPERTY(int HighlightDepth READ HighlightDepth WRITE setHighlightDepth)
    Q_PROPERTY(uint HighlightColor READ HighlightColor WRITE setHighlightColor)
    Q_PROPERTY(TShadowStyle ShadowStyle READ ShadowStyle WRITE setShadowStyle)
    Q_PROPERTY(TDirection ShadowDirection READ ShadowDirection WRITE setShadowDirection)
    Q_PROPERTY(int ShadowDepth READ ShadowDepth WRITE setShadowDepth)
    Q_PROPERTY(int ShadowSize READ ShadowSize WRITE setShadowSize)
    Q_PROPERTY(uint ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(TVerticalAlignment VerticalAlignment READ VerticalAlignment WRITE setVerticalAlignment)
public:
    // The framework's name for the vertical alignment, value for value.
    enum TTextLayout { tlTop, tlCenter, tlBottom };

    explicit TProLabel(QWidget* parent = nullptr);

    TTextLayout Layout() const { return TTextLayout(VerticalAlignment()); }
    void setLayout(TTextLayout layout) { setVerticalAlignment(TVerticalAlignment(layout)); }
    using QWidget::setLayout;
};
