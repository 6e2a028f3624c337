#include "infoline.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const QString kSeparator = QStringLiteral(" · ");
constexpr int kPadding = 3;

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

TInfoLine::TInfoLine(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TInfoLine::warningColor()
{
    // Amber: a warning beside the indicators' red, readable on both layouts.
    return QColor(0xFF, 0xC8, 0x3C);
}

void TInfoLine::setParts(const QVector<TInfoPart>& parts)
{
    if (parts == m_parts)
        return;
    m_parts = parts;
    update();
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
    SetBackgroundColor(this, color);
    SetTextColor(this, clBlack);
    update();
}

bool TInfoLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTipText) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTipText(), this);
        return true;
    }
    return QWidget::event(event);
}

void TInfoLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QFontMetrics metrics = fontMetrics();
    int x = kPadding;
    for (int i = 0; i < m_parts.size() && x < width(); ++i) {
        const QString text = i > 0 ? kSeparator + m_parts[i].text : m_parts[i].text;
        const int separatorWidth = i > 0 ? metrics.horizontalAdvance(kSeparator) : 0;
        const int textWidth = metrics.horizontalAdvance(text);
        if (m_parts[i].warning)
            painter.fillRect(QRect(x + separatorWidth - 1, 0, textWidth - separatorWidth + 2, height()),
                             warningColor());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += textWidth;
    }
}
