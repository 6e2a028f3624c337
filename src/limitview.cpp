#include "limitview.h"

#include <QEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "framework/Application.h"
#include "infoline.h"
#include "memo.h"
#include "textstats.h"

QVector<TMarkRange> MarkRanges(int firstLimitPosition, int secondLimitPosition, int end)
{
    const int first = std::min(firstLimitPosition, secondLimitPosition);
    const int second = std::max(firstLimitPosition, secondLimitPosition);
    QVector<TMarkRange> ranges;
    if (second < 0)
        return ranges;
    if (first < 0)
        return {{second, end, false}};
    if (first < second)
        ranges.append({first, second, false});
    ranges.append({second, end, true});
    return ranges;
}

TLimitView::TLimitView(TMemo* memo, LineBreakCounter lineBreaks, std::function<void(const QString&)> copyText)
    : QObject(memo),
      m_memo(memo),
      m_math(memo->document(), std::move(lineBreaks)),
      m_copyText(std::move(copyText)),
      m_infoLine(new TInfoLine(memo))
{
    setObjectName(QStringLiteral("limitView"));
    m_infoLine->setObjectName(QStringLiteral("infoLine"));
    m_infoLine->toolTipText = [this] { return statisticsText(); };
    m_infoLine->show();
    memo->installEventFilter(this);
    memo->viewport()->installEventFilter(this);
    applyFont();
    connect(memo, &QPlainTextEdit::selectionChanged, this, &TLimitView::refreshInfo);
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this, &TLimitView::showContextMenu);
}

void TLimitView::showLimits(qsizetype guestBookLimit, qsizetype forumLimit)
{
    m_guestBookLimit = guestBookLimit;
    m_forumLimit = forumLimit;
    refreshInfo();
    refreshMarks();
}

void TLimitView::setLayoutColor(TColor color)
{
    m_infoLine->setLayoutColor(color);
}

void TLimitView::refreshInfo()
{
    const qsizetype count = m_math.count();
    QVector<TInfoPart> parts;
    if (auto part = LimitPart(QStringLiteral("Gästebuch"), m_guestBookLimit, count))
        parts.append(*part);
    if (auto part = LimitPart(QStringLiteral("Forum"), m_forumLimit, count))
        parts.append(*part);
    const QTextCursor cursor = m_memo->textCursor();
    if (cursor.hasSelection())
        parts.append({QStringLiteral("Auswahl: %1").arg(m_math.count(cursor.selectionStart(), cursor.selectionEnd()))});
    m_infoLine->setParts(parts);
}

void TLimitView::refreshMarks()
{
    const QVector<TMarkRange> ranges =
        MarkRanges(m_math.limitPosition(m_guestBookLimit), m_math.limitPosition(m_forumLimit), m_math.endPosition());
    // The marks' cursors follow the edits, so typing past the limits rarely
    // needs new ones.
    const QList<QTextEdit::ExtraSelection> current = m_memo->extraSelections();
    if (current.size() == ranges.size()) {
        bool same = true;
        for (int i = 0; i < ranges.size() && same; ++i)
            same = current[i].cursor.selectionStart() == ranges[i].from &&
                   current[i].cursor.selectionEnd() == ranges[i].to &&
                   current[i].format.background().color() == (ranges[i].pastBoth ? pastBothColor() : pastOneColor());
        if (same)
            return;
    }
    QList<QTextEdit::ExtraSelection> marks;
    for (const TMarkRange& range : ranges) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_memo->document());
        mark.cursor.setPosition(range.from);
        mark.cursor.setPosition(range.to, QTextCursor::KeepAnchor);
        mark.format.setBackground(range.pastBoth ? pastBothColor() : pastOneColor());
        // Fills past each line's end, so a marked line break shows too.
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
    }
    m_memo->setExtraSelections(marks);
}

void TLimitView::applyFont()
{
    QFont font = m_memo->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(6.0, font.pointSizeF() - 2));
    else
        font.setPixelSize(std::max(8, font.pixelSize() - 3));
    m_infoLine->setFont(font);
    placeInfoLine();
}

void TLimitView::placeInfoLine()
{
    const int height = m_infoLine->fontMetrics().height() + 2;
    // The text ends above the line; the scroll bar keeps its length beside it.
    if (m_lineHeight != height) {
        m_lineHeight = height;
        m_memo->setViewportMargins(0, 0, 0, height);
    }
    const QRect text = m_memo->viewport()->geometry();
    m_infoLine->setGeometry(text.left(), text.bottom() + 1, text.width(), height);
}

bool TLimitView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_memo->viewport() && event->type() == QEvent::Resize)
        placeInfoLine();
    else if (watched == m_memo && event->type() == QEvent::FontChange)
        applyFont();
    return QObject::eventFilter(watched, event);
}

QMenu* TLimitView::createContextMenu(const QPoint& position)
{
    QMenu* menu = m_memo->createStandardContextMenu(position);
    menu->addSeparator();
    const auto addCopy = [this, menu](const QString& text, const char* name, qsizetype limit) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(m_math.limitPosition(limit) >= 0);
        connect(action, &QAction::triggered, this, [this, limit] { TApplication::Guard([=] { copyUpTo(limit); }); });
    };
    addCopy(QStringLiteral("Bis zur Gästebuch-Grenze kopieren"), "miCopyGB", m_guestBookLimit);
    addCopy(QStringLiteral("Bis zur Forum-Grenze kopieren"), "miCopyForum", m_forumLimit);
    return menu;
}

void TLimitView::showContextMenu(const QPoint& position)
{
    QMenu* menu = createContextMenu(position);
    menu->exec(m_memo->viewport()->mapToGlobal(position));
    delete menu;
}

void TLimitView::copyUpTo(qsizetype limit)
{
    const int cut = m_math.cutPosition(limit);
    if (cut >= 0)
        m_copyText(m_math.text(0, cut));
}

QString TLimitView::statisticsText() const
{
    const TTextStats stats = MeasureText(m_math);
    return QStringLiteral(
               "Wörter: %1\nZeilen: %2\nBytes (UTF-8, Zeilenumbruch CR LF): %3\nZeichen ohne Zeilenumbrüche: %4")
        .arg(stats.words)
        .arg(stats.lines)
        .arg(stats.utf8Bytes)
        .arg(stats.charsWithoutBreaks);
}
