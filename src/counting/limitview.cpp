#include "counting/limitview.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include "counting/infoline.h"
#include "counting/textstats.h"
#include "framework/Guarded.h"
#include "text/memo.h"
#include "text/rangepainter.h"

namespace {

// Where the text past one limit (pastBoth: past both) begins; -1 where none is.
int MarkStart(const QVector<TMarkRange>& ranges, bool pastBoth)
{
    for (const TMarkRange& range : ranges)
        if (!pastBoth || range.pastBoth)
            return range.from;
    return -1;
}

}  // namespace

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
    m_infoLine->installEventFilter(this);  // a click opens the choice of counting rules
    m_infoLine->setCursor(Qt::PointingHandCursor);
    m_infoLine->setAccessibleDescription(QStringLiteral("Ein Klick wählt, wie jede Grenze zählt"));
    m_counters[0] = std::make_unique<TRuleCount>(&memo->pieces(), m_math, TCountRule::Browser);
    m_counters[1] = std::make_unique<TRuleCount>(&memo->pieces(), m_math, TCountRule::Browser);
    applyFont();
    // The selection's count is worked out once the selection is painted.
    m_infoLine->setRefresh([this] { refreshInfo(); });
    connect(memo, &QPlainTextEdit::selectionChanged, m_infoLine, &TInfoLine::refreshLater);
    connect(memo->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) { textChangedAt(position, removed, added); });
    // At the menu's end.
    connect(memo, &TMemo::contextMenuOpening, this, Guarded(this, &TLimitView::addCopyEntries));
}

void TLimitView::showLimits(qsizetype guestBookLimit, qsizetype forumLimit)
{
    m_guestBookLimit = guestBookLimit;
    m_forumLimit = forumLimit;
    refreshInfo();
    refreshMarks();
}

void TLimitView::setCountRules(TCountRule guestBook, TCountRule forum)
{
    const TCountRule rules[2] = {guestBook, forum};
    for (int slot = 0; slot < 2; ++slot) {
        m_rules[slot] = rules[slot];
        // A count is made only for a rule in use, and kept while it is; the
        // browser's rule is the limit math's own and costs nothing.
        const bool shared = slot == 1 && rules[1] == rules[0];
        const TCountRule wanted = shared ? TCountRule::Browser : rules[slot];
        if (m_counters[slot]->rule() != wanted)
            m_counters[slot] = std::make_unique<TRuleCount>(&m_memo->pieces(), m_math, wanted);
    }
}

const TRuleCount& TLimitView::counter(int slot) const
{
    return slot == 1 && m_rules[1] == m_rules[0] ? *m_counters[0] : *m_counters[slot];
}

QString TLimitView::limitName(int slot) const
{
    const QString name = slot == 0 ? QStringLiteral("Gästebuch") : QStringLiteral("Forum");
    const QString rule = CountRuleShortName(m_rules[slot]);
    return rule.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, rule);
}

void TLimitView::setLayoutColor(TColor color)
{
    m_infoLine->setLayoutColor(color);
}

void TLimitView::refreshInfo()
{
    QVector<TInfoPart> parts;
    // A limit of 0 or below is none: its count is not even made.
    if (m_guestBookLimit > 0)
        if (auto part = LimitPart(limitName(0), m_guestBookLimit, counter(0).count()))
            parts.append(*part);
    if (m_forumLimit > 0)
        if (auto part = LimitPart(limitName(1), m_forumLimit, counter(1).count()))
            parts.append(*part);
    const QTextCursor cursor = m_memo->textCursor();
    if (cursor.hasSelection())
        parts.append({QStringLiteral("Auswahl: %1").arg(m_math.count(cursor.selectionStart(), cursor.selectionEnd()))});
    m_infoLine->setParts(parts);
}

void TLimitView::refreshMarks()
{
    // A character the limit cuts (an emoji, a flag, a letter with its accents)
    // is past it as a whole: its mark starts where the character does.
    const auto markStart = [this](int position) {
        return position < 0 ? position : m_memo->pieces().clusterEdge(position, false);
    };
    const QVector<TMarkRange> ranges = MarkRanges(markStart(limitPosition(0, m_guestBookLimit)),
                                                  markStart(limitPosition(1, m_forumLimit)), m_math.endPosition());
    m_marks = ranges;
    // The colour of the text changes only between where each mark began (moved
    // with the text since) and where it begins now; a mark's end is the text's
    // end, whose row an edit that moves it paints again. Those lines alone are
    // painted again.
    const int end = m_math.endPosition();
    const int starts[2] = {MarkStart(ranges, false), MarkStart(ranges, true)};
    QRectF dirty;
    for (int i = 0; i < 2; ++i) {
        if (starts[i] == m_shownStarts[i])
            continue;
        const int from = std::min(starts[i] < 0 ? end : starts[i], m_shownStarts[i] < 0 ? end : m_shownStarts[i]);
        const int to = std::max(starts[i] < 0 ? end : starts[i], m_shownStarts[i] < 0 ? end : m_shownStarts[i]);
        // Up to the text's end means across its last line, as the marks are painted.
        const int through = to >= end ? end + 1 : std::max(to, from + 1);
        for (const QRectF& rect : VisibleRangeRects(m_memo->visibleArea(), m_viewport->rect(), from, through))
            dirty |= rect;
        m_shownStarts[i] = starts[i];
    }
    if (!dirty.isEmpty())
        m_viewport->update(dirty.toAlignedRect());
}

void TLimitView::paintMarks(const QRect& area)
{
    if (m_marks.isEmpty())
        return;
    // A mark that reaches the text's end takes in its last line up to the
    // right edge, as it does every line before: a new empty last line past
    // a limit shows marked.
    const int end = m_math.endPosition();
    QVector<TColoredRange> ranges;
    for (const TMarkRange& mark : std::as_const(m_marks))
        ranges.append(
            {mark.from, mark.to >= end ? end + 1 : mark.to, mark.pastBoth ? pastBothColor() : pastOneColor()});
    QPainter painter(m_viewport);
    PaintRanges(m_memo->visibleArea(), painter, area, ranges);
}

int TLimitView::limitPosition(int slot, qsizetype limit)
{
    LimitCache& cache = m_cache[slot];
    if (!cache.valid || cache.limit != limit || cache.rule != m_rules[slot])
        cache = {limit, m_rules[slot], counter(slot).limitPosition(limit), true};
    return cache.position;
}

void TLimitView::textChangedAt(int position, int removed, int added)
{
    // The beginning up to and with the first character that does not fit
    // decides where a limit falls; a change after it leaves the place as it was.
    for (LimitCache& cache : m_cache)
        if (cache.position < 0 || position <= cache.position)
            cache.valid = false;
    // The marks shown stay with the characters they begin at.
    for (int& start : m_shownStarts) {
        if (start >= position + removed)
            start += added - removed;
        else if (start > position)
            start = position;
    }
}

void TLimitView::applyFont()
{
    QFont font = m_memo->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(6.0, font.pointSizeF() - 2));
    else
        font.setPixelSize(std::max(8, font.pixelSize() - 3));
    // The same font again (the text area's font set anew) needs no new measure.
    if (m_lineHeight > 0 && font == m_infoLine->font())
        return;
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
    if (watched == m_infoLine && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* menu = new QMenu(m_infoLine);
        menu->setObjectName(QStringLiteral("mpopZaehlweise"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        addCountRuleMenus(menu);
        menu->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    }
    // Compares pointers only: events still arrive while the text area is destroyed.
    if (watched == m_viewport && event->type() == QEvent::Paint)
        paintMarks(static_cast<QPaintEvent*>(event)->rect());  // under the text, painted next
    else if (watched == m_viewport && event->type() == QEvent::Resize)
        placeInfoLine();
    else if (watched == m_memo && event->type() == QEvent::FontChange)
        applyFont();
    return QObject::eventFilter(watched, event);
}

void TLimitView::addCountRuleMenus(QMenu* menu)
{
    AddCountRuleMenus(menu, m_rules[0], m_rules[1],
                      [this](TLimitSlot slot, TCountRule rule) { emit countRuleChosen(slot, rule); });
}

void TLimitView::addCopyEntries(QMenu* menu)
{
    menu->addSeparator();
    addCountRuleMenus(menu);
    menu->addSeparator();
    const auto addCopy = [this, menu](const QString& text, const char* name, int slot, qsizetype limit) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(limitPosition(slot, limit) >= 0);
        connect(action, &QAction::triggered, this, Guarded([this, slot] { copyFitting(TLimitSlot(slot)); }));
    };
    addCopy(QStringLiteral("Bis zur Gästebuch-Grenze kopieren"), "miCopyGB", 0, m_guestBookLimit);
    addCopy(QStringLiteral("Bis zur Forum-Grenze kopieren"), "miCopyForum", 1, m_forumLimit);
}

void TLimitView::copyFitting(TLimitSlot slot)
{
    int cut = counter(int(slot)).cutPosition(slot == TLimitSlot::GuestBook ? m_guestBookLimit : m_forumLimit);
    // What is copied never ends with half a character, whatever the rule.
    if (cut >= 0)
        cut = m_memo->pieces().clusterEdge(cut, false);
    if (cut >= 0)
        m_copyText(m_math.text(0, cut));
}

QString TLimitView::statisticsText() const
{
    const TTextStats stats = MeasureText(m_math);
    QString text =
        QStringLiteral(
            "Wörter: %1\nZeilen: %2\nBytes (UTF-8, Zeilenumbruch CR LF): %3\nZeichen ohne Zeilenumbrüche: %4")
            .arg(stats.words)
            .arg(stats.lines)
            .arg(stats.utf8Bytes)
            .arg(stats.charsWithoutBreaks);
    const QTextCursor cursor = m_memo->textCursor();
    if (!cursor.hasSelection())
        return text;
    // The selection as each limit that counts otherwise counts it, each rule once.
    for (int slot = 0; slot < 2; ++slot) {
        if (m_rules[slot] == TCountRule::Browser || (slot == 1 && m_rules[1] == m_rules[0]))
            continue;
        text += QStringLiteral("\nAuswahl (Zählweise „%1“): %2")
                    .arg(CountRuleName(m_rules[slot]))
                    .arg(counter(slot).count(cursor.selectionStart(), cursor.selectionEnd()));
    }
    return text;
}
