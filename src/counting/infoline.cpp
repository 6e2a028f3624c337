#include "counting/infoline.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStaticText>
#include <QToolTip>

#include "framework/LaterRepaint.h"

namespace {

const QString kSeparator = QStringLiteral(" · ");
const QString kEllipsis = QStringLiteral("…");
constexpr int kPadding = 3;

// A line's text in pieces: each digit alone, the words between them whole.
QStringList Pieces(const QString& text)
{
    QStringList pieces;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i + 1;
        if (!text.at(i).isDigit())
            while (j < text.size() && !text.at(j).isDigit())
                ++j;
        pieces << text.mid(i, j - i);
        i = j;
    }
    return pieces;
}

}  // namespace

std::optional<TInfoPart> LimitPart(const QString& name, qsizetype limit, qsizetype count)
{
    if (limit <= 0)
        return std::nullopt;
    const qsizetype room = limit - count;
    TInfoPart part;
    part.text = room >= 0 ? QStringLiteral("%1: noch %2").arg(name).arg(room)
                          : QStringLiteral("%1: %2 zu viel").arg(name).arg(-room);
    part.warning = room * 10 <= limit;
    return part;
}

TInfoLine::TInfoLine(QWidget* parent) : QWidget(parent), m_later(new LaterRepaint(this))
{
    // Painted whole by paintEvent, nothing beneath shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TInfoLine::warningColor()
{
    // Amber: a warning beside the indicators' red, readable on both layouts.
    return QColor(0xFF, 0xC8, 0x3C);
}

void TInfoLine::setRefresh(std::function<void()> refresh)
{
    m_later->setRefresh(std::move(refresh));
}

void TInfoLine::refreshLater()
{
    m_later->refreshLater();
}

void TInfoLine::setParts(const QVector<TInfoPart>& parts)
{
    if (parts == m_parts)
        return;
    m_parts = parts;
    layOut();
    if (QAccessible::isActive()) {
        // A screen reader reads the line's text as its name and its description.
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        QAccessibleEvent described(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
    }
}

void TInfoLine::layOut()
{
    // The parts with their separators, each drawn in its part's colour; with
    // kept at 0 or above, only that many characters of them and "…".
    const auto build = [this](qsizetype kept) {
        QVector<Item> items;
        int x = kPadding;
        bool warning = false;
        for (int i = 0; i < m_parts.size() * 2 - 1; ++i) {
            const TInfoPart run = i % 2 ? TInfoPart{kSeparator, false} : m_parts.at(i / 2);
            const QString text = kept < 0 ? run.text : run.text.left(kept);
            if (text.isEmpty())
                break;
            if (kept >= 0)
                kept -= text.size();
            warning = run.warning;
            for (const QString& part : Pieces(text)) {
                items.append({piece(part), x, run.warning});
                x += items.last().piece.advance;
            }
        }
        if (kept >= 0)
            items.append({piece(kEllipsis), x, warning});
        return items;
    };
    QVector<Item> items = build(-1);
    // A line too long for the strip ends in "…" where the font's own elision
    // cuts it; measured only then, as a keystroke rarely gets there.
    const int room = width() - 2 * kPadding;
    m_elided = false;
    if (!items.isEmpty() && items.last().x + items.last().piece.advance > kPadding + room) {
        const QString whole = text();
        const QString shown = fontMetrics().elidedText(whole, Qt::ElideRight, std::max(room, 0));
        m_elided = shown != whole;
        if (m_elided)
            items = build(shown.endsWith(kEllipsis) ? shown.size() - 1 : shown.size());
    }
    // Glyphs cost the most: only the pieces that changed are painted again.
    QRegion dirty;
    for (qsizetype i = 0; i < std::max(items.size(), m_items.size()); ++i) {
        if (i >= items.size() || i >= m_items.size() || !(items[i] == m_items[i])) {
            const Item& item = i < items.size() ? items[i] : m_items[i];
            if (i < items.size() && i < m_items.size() && items[i].x == m_items[i].x &&
                items[i].piece.advance == m_items[i].piece.advance) {
                dirty += QRect(item.x - 1, 0, item.piece.advance + 2, height());
            } else {
                dirty += QRect(item.x - 1, 0, width(), height());
                break;
            }
        }
    }
    m_items = items;
    // One rectangle over the changed pieces: the two counts of a keystroke
    // reach the screen in one piece, and the pieces between cost less to draw
    // again than a second rectangle costs to bring there.
    if (!dirty.isEmpty())
        m_later->update(dirty.boundingRect());
}

QString TInfoLine::text() const
{
    QStringList texts;
    for (const TInfoPart& part : m_parts)
        texts << part.text;
    return texts.join(kSeparator);
}

void TInfoLine::setLayoutColor(TColor color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(color));
    colours.setColor(QPalette::WindowText, ToQColor(clBlack));
    setPalette(colours);
}

bool TInfoLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tipText(), this);
        return true;
    }
    return QWidget::event(event);
}

QString TInfoLine::tipText() const
{
    // The whole line first: the strip may show it cut.
    QStringList lines;
    if (!m_parts.isEmpty())
        lines << text();
    if (toolTipText)
        lines << toolTipText();
    return lines.join(QStringLiteral("\n\n"));
}

void TInfoLine::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        layOut();
}

TInfoLine::Piece TInfoLine::piece(const QString& text)
{
    // Digits come by the dozen with every keystroke: they skip the hash.
    const bool digit = text.size() == 1 && text.at(0).unicode() >= u'0' && text.at(0).unicode() <= u'9';
    if (digit && m_digits[text.at(0).unicode() - u'0'].advance > 0)
        return m_digits[text.at(0).unicode() - u'0'];
    auto it = m_pieces.constFind(text);
    if (it != m_pieces.constEnd())
        return *it;
    Piece piece{text, QStaticText(text), fontMetrics().horizontalAdvance(text)};
    piece.glyphs.setTextFormat(Qt::PlainText);
    piece.glyphs.prepare(QTransform(), font());
    if (digit)
        m_digits[text.at(0).unicode() - u'0'] = piece;
    else
        m_pieces.insert(text, piece);
    return piece;
}

void TInfoLine::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_pieces.clear();
        std::fill(std::begin(m_digits), std::end(m_digits), Piece());
        layOut();
    }
    QWidget::changeEvent(event);
}

void TInfoLine::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRegion& region = event->region();
    painter.fillRect(region.boundingRect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    // A warning part's background in one fill, then the pieces over it.
    QRect warning;
    for (const Item& item : std::as_const(m_items)) {
        if (item.warning && (warning.isNull() || warning.right() + 1 == item.x)) {
            warning |= QRect(item.x, 0, item.piece.advance, height());
            continue;
        }
        if (!warning.isNull() && region.intersects(warning))
            painter.fillRect(warning, warningColor());
        warning = item.warning ? QRect(item.x, 0, item.piece.advance, height()) : QRect();
    }
    if (!warning.isNull() && region.intersects(warning))
        painter.fillRect(warning, warningColor());
    const int top = (height() - fontMetrics().height()) / 2;
    for (const Item& item : std::as_const(m_items))
        if (region.intersects(QRect(item.x - 1, 0, item.piece.advance + 2, height())))
            painter.drawStaticText(item.x, top, item.piece.glyphs);
}
