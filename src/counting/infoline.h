#pragma once

#include <QHash>
#include <QStaticText>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

#include "framework/Colors.h"

class LaterRepaint;

// One part of the info line, drawn in the warning colour when close to a limit.
struct TInfoPart {
    QString text;
    bool warning = false;
    bool operator==(const TInfoPart& other) const { return text == other.text && warning == other.warning; }
};

// What the info line says about one limit: "Gästebuch: noch 1908" or
// "Gästebuch: 92 zu viel", a warning within a tenth of the limit. Nothing for
// a limit of 0 or below, which is no limit.
std::optional<TInfoPart> LimitPart(const QString& name, qsizetype limit, qsizetype count);

// A strip along the bottom edge of a text area, inside its rectangle, that
// shows the parts in a row. It is drawn only: it holds no text of the area.
class TInfoLine : public QWidget {
    Q_OBJECT
public:
    explicit TInfoLine(QWidget* parent = nullptr);

    void setParts(const QVector<TInfoPart>& parts);
    // Works out the parts, called after refreshLater() once the window has
    // painted what changed them.
    void setRefresh(std::function<void()> refresh);
    void refreshLater();
    const QVector<TInfoPart>& parts() const { return m_parts; }
    // The parts as one line of text, as they are drawn when the strip is wide enough.
    QString text() const;
    // Whether the strip shows the text cut, ending in "…".
    bool elided() const { return m_elided; }
    // The whole text and what toolTipText adds.
    QString tipText() const;

    void setLayoutColor(TColor color);
    // Worked out when the tooltip opens.
    std::function<QString()> toolTipText;

    static QColor warningColor();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A digit or the words between digits, laid out once for the line's font.
    struct Piece {
        QString text;
        QStaticText glyphs;
        int advance = 0;
    };
    struct Item {
        Piece piece;
        int x = 0;
        bool warning = false;
        bool operator==(const Item& other) const
        {
            return x == other.x && warning == other.warning && piece.text == other.piece.text;
        }
    };
    Piece piece(const QString& text);
    // Places the parts' pieces within the strip's width.
    void layOut();

    LaterRepaint* m_later;  // the counts are painted after the text they count
    QVector<TInfoPart> m_parts;
    QVector<Item> m_items;  // the parts in pieces, where they are drawn
    bool m_elided = false;
    QHash<QString, Piece> m_pieces;
    Piece m_digits[10];
};
