#include "windows/ProUrl.h"

#include "windows/ProUrlOpen.h"

TProUrlLabel::TProUrlLabel(QWidget* parent) : TProLabel(parent)
{
    RegisterLinkCursors();
    setCursor(crProHandPoint);
    setFontColor(clBlue);
    // Underline alone; the font is now the label's own and no longer
    // follows the parent's.
    QFont own = font();
    own.setBold(false);
    own.setItalic(false);
    own.setStrikeOut(false);
    own.setUnderline(true);
    own.setResolveMask(QFont::AllPropertiesResolved);
    setFont(own);
}

void TProUrlLabel::setUnvisitedColor(TColor color)
{
    if (color == m_unvisitedColor)
        return;
    m_unvisitedColor = color;
    if (!m_visited)
        setFontColor(color);
}

void TProUrlLabel::setVisitedColor(TColor color)
{
    if (color == m_visitedColor)
        return;
    m_visitedColor = color;
    if (m_visited)
        setFontColor(color);
}

void TProUrlLabel::setCanHover(bool canHover)
{
    m_canHover = canHover;
    // Hovering shows the underline only while the pointer is over the label.
    SetUnderline(!canHover);
}

void TProUrlLabel::SetUnderline(bool underline)
{
    if (font().underline() == underline)
        return;
    QFont changed = font();
    changed.setUnderline(underline);
    setFont(changed);
}

void TProUrlLabel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    TProLabel::MouseDown(button, shift, x, y);
    if (button != Qt::LeftButton)
        return;
    m_pressed = true;
    setFontColor(m_activatedColor);
}

void TProUrlLabel::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    TProLabel::MouseUp(button, shift, x, y);
    if (button != Qt::LeftButton)
        return;
    // The lines x = width and y = height still count as on the label.
    const bool outside = x < 0 || y < 0 || x > width() || y > height();
    if (outside) {
        setFontColor(StateColor());
    } else if (m_pressed) {
        m_visited = true;
        setFontColor(m_canHover ? m_hoveredColor : m_visitedColor);
        OpenLink(m_url.isEmpty() ? Caption() : m_url);
    }
    m_pressed = false;
}

void TProUrlLabel::MouseEnter()
{
    TProLabel::MouseEnter();
    if (m_canHover)
        SetUnderline(true);
    if (m_pressed)
        setFontColor(m_activatedColor);
    else if (m_canHover)
        setFontColor(m_hoveredColor);
}

void TProUrlLabel::MouseLeave()
{
    TProLabel::MouseLeave();
    if (m_canHover)
        SetUnderline(false);
    setFontColor(StateColor());
}

void TProUrlLabel::FontChanged()
{
    TProLabel::FontChanged();
    // A colour given from outside becomes the colour of the current state;
    // the label's own changes while pressed or hovering are not taken over.
    if (m_canHover || m_pressed)
        return;
    if (m_visited)
        m_visitedColor = FontColor();
    else
        m_unvisitedColor = FontColor();
}
