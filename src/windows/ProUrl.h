#pragma once

#include "windows/ProCtrls.h"

// A painted label that works as a hyperlink: underlined, coloured by state
// (unvisited, pressed, visited, hovered), a pointing hand over it, and a left
// click hands URL (or the caption when URL is empty) to the desktop's opener.
class TProUrlLabel : public TProLabel {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(uint UnvisitedColor READ UnvisitedColor WRITE setUnvisitedColor)
    Q_PROPERTY(uint ActivatedColor READ ActivatedColor WRITE setActivatedColor)
    Q_PROPERTY(uint VisitedColor READ VisitedColor WRITE setVisitedColor)
    Q_PROPERTY(uint HoveredColor READ HoveredColor WRITE setHoveredColor)
    Q_PROPERTY(bool CanHover READ CanHover WRITE setCanHover)
public:
    explicit TProUrlLabel(QWidget* parent = nullptr);

    QString URL() const { return m_url; }
    void setURL(const QString& url) { m_url = url; }
    TColor UnvisitedColor() const { return m_unvisitedColor; }
    void setUnvisitedColor(TColor color);
    TColor ActivatedColor() const { return m_activatedColor; }
    void setActivatedColor(TColor color) { m_activatedColor = color; }
    TColor VisitedColor() const { return m_visitedColor; }
    void setVisitedColor(TColor color);
    TColor HoveredColor() const { return m_hoveredColor; }
    void setHoveredColor(TColor color) { m_hoveredColor = color; }
    bool CanHover() const { return m_canHover; }
    void setCanHover(bool canHover);

    bool Visited() const { return m_visited; }
    bool Pressed() const { return m_pressed; }

protected:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FontChanged() override;

private:
    void SetUnderline(bool underline);
    TColor StateColor() const { return m_visited ? m_visitedColor : m_unvisitedColor; }

    QString m_url;
    TColor m_unvisitedColor = clBlue;
    TColor m_activatedColor = clRed;
    TColor m_visitedColor = clNavy;
    TColor m_hoveredColor = clWhite;
    bool m_canHover = false;
    bool m_visited = false;
    bool m_pressed = false;
};
