#include "limitview.h"

#include <QEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include "framework/Guarded.h"
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
      m_viewport(memo->viewport()),
      m_math(memo->document(), std::move(lineBreaks)),
      m_copyText(std::move(copyText)),
      m_infoLine(new TInfoLine(memo))
{
    setObjectName(QStringLiteral("limitView"));
    m_infoLine->setObjectName(QStringLiteral("infoLine"));
    m_infoLine->toolTipText = [this] { return statisticsText(); };
    m_infoLine->show();
    memo->installEventFilter(this);
    m_viewport->installEventFilter(this);
    applyFont();
    connect(memo, &QPlainTextEdit::selectionChanged, this, &TLimitView::refreshInfo);
    connect(memo->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int) { textChangedAt(position); });
    memo->contextMenuExtension = [this](QMenu* menu) { addCopyEntries(menu); };
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
        MarkRanges(limitPosition(0, m_guestBookLimit), limitPosition(1, m_forumLimit), m_math.endPosition());
    // A mark's end is the text's end, which moves with every edit and is
    // repainted with it; only a mark that begins elsewhere repaints the text area.
    bool sameStarts = ranges.size() == m_marks.size();
    for (int i = 0; i < ranges.size() && sameStarts; ++i)
        sameStarts = ranges[i].from == m_marks[i].from && ranges[i].pastBoth == m_marks[i].pastBoth;
    m_marks = ranges;
    if (!sameStarts)
        m_memo->viewport()->update();
}

void TLimitView::paintMarks(const QRect& area)
{
    if (m_marks.isEmpty())
        return;
    QPainter painter(m_memo->viewport());
    painter.setClipRect(area);
    const int right = m_memo->viewport()->width();
    QTextBlock block = m_memo->cursorForPosition(QPoint(0, area.top())).block();
    // Deep in the text past the last mark's start, with text below the area,
    // the whole area is marked: the common case while typing in an overlong text.
    const TMarkRange& last = m_marks.last();
    if (block.position() >= last.from &&
        m_memo->cursorForPosition(QPoint(0, area.bottom())).block() != m_memo->document()->lastBlock()) {
        QRect text = area;
        text.setLeft(std::max(area.left(), int(m_memo->document()->documentMargin())));
        painter.fillRect(text, last.pastBoth ? pastBothColor() : pastOneColor());
        return;
    }
    for (; block.isValid() && block.isVisible(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            break;
        const QTextLine first = layout->lineAt(0);
        const QRect caret = m_memo->cursorRect(QTextCursor(block));
        const QPointF origin(caret.left() - first.cursorToX(0), caret.top() - first.y());
        if (origin.y() > area.bottom())
            break;
        const int start = block.position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int lineStart = start + line.textStart();
            // The last line ends with the block's separator, the others where they wrap.
            const int lineEnd = start + line.textStart() + line.textLength() + (i == layout->lineCount() - 1 ? 1 : 0);
            for (const TMarkRange& mark : m_marks) {
                if (mark.to <= lineStart || mark.from >= lineEnd || mark.from == mark.to)
                    continue;
                const qreal left = mark.from <= lineStart ? line.x() : line.cursorToX(mark.from - start);
                // Past the line's end the mark runs to the right edge.
                const qreal end = mark.to >= lineEnd ? right - origin.x() : line.cursorToX(mark.to - start);
                painter.fillRect(QRectF(origin.x() + left, origin.y() + line.y(), end - left, line.height()),
                                 mark.pastBoth ? pastBothColor() : pastOneColor());
            }
        }
    }
}

int TLimitView::limitPosition(int slot, qsizetype limit)
{
    LimitCache& cache = m_cache[slot];
    if (!cache.valid || cache.limit != limit)
        cache = {limit, m_math.limitPosition(limit), true};
    return cache.position;
}

void TLimitView::textChangedAt(int position)
{
    // The beginning up to and with the first character that does not fit
    // decides where a limit falls; a change after it leaves the place as it was.
    for (LimitCache& cache : m_cache)
        if (cache.position < 0 || position <= cache.position)
            cache.valid = false;
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
    // Compares pointers only: events still arrive while the text area is destroyed.
    if (watched == m_viewport && event->type() == QEvent::Paint)
        paintMarks(static_cast<QPaintEvent*>(event)->rect());  // under the text, painted next
    else if (watched == m_viewport && event->type() == QEvent::Resize)
        placeInfoLine();
    else if (watched == m_memo && event->type() == QEvent::FontChange)
        applyFont();
    return QObject::eventFilter(watched, event);
}

void TLimitView::addCopyEntries(QMenu* menu)
{
    menu->addSeparator();
    const auto addCopy = [this, menu](const QString& text, const char* name, int slot, qsizetype limit) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(limitPosition(slot, limit) >= 0);
        connect(action, &QAction::triggered, this, Guarded([this, limit] { copyUpTo(limit); }));
    };
    addCopy(QStringLiteral("Bis zur Gästebuch-Grenze kopieren"), "miCopyGB", 0, m_guestBookLimit);
    addCopy(QStringLiteral("Bis zur Forum-Grenze kopieren"), "miCopyForum", 1, m_forumLimit);
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
