#pragma once

#include <QColor>
#include <QObject>
#include <QVector>
#include <functional>
#include <memory>

#include "counting/countmenu.h"
#include "counting/countrule.h"
#include "counting/limitmath.h"
#include "counting/rulecount.h"
#include "framework/Colors.h"

class QMenu;
class TMemo;
class TInfoLine;

// A stretch of the text past a limit, marked on screen.
struct TMarkRange {
    int from = 0;
    int to = 0;
    bool pastBoth = false;
    bool operator==(const TMarkRange& other) const
    {
        return from == other.from && to == other.to && pastBoth == other.pastBoth;
    }
};

// The marks for the positions where two limits fall (-1: that limit is not
// passed), up to the end of the text: past one limit, then past both.
QVector<TMarkRange> MarkRanges(int firstLimitPosition, int secondLimitPosition, int end);

// Shows a text area's room under the guest-book and forum limits: the info
// line along its bottom edge, the text past each limit marked, and two menu
// entries that copy what fits. Marks are painted under the text, never
// stored in it.
// It lives as long as the text area, its parent.
class TLimitView : public QObject {
    Q_OBJECT
public:
    // copyText puts a text on the clipboard as the window's own copy does.
    TLimitView(TMemo* memo, LineBreakCounter lineBreaks, std::function<void(const QString&)> copyText);

    // After every change of the limits, and later after a change of the text.
    void showLimits(qsizetype guestBookLimit, qsizetype forumLimit);
    // At once after a change of the text: the marks are painted with it.
    void refreshMarks();
    // How each limit counts; before showLimits.
    void setCountRules(TCountRule guestBook, TCountRule forum);
    TCountRule countRule(TLimitSlot slot) const { return m_rules[int(slot)]; }
    // The text's count under the limit's rule.
    qsizetype limitCount(TLimitSlot slot) const { return counter(int(slot)).count(); }
    // Runs when the user picks another rule for a limit, in a menu.
    std::function<void(TLimitSlot, TCountRule)> countRuleChosen;
    void setLayoutColor(TColor color);

    TInfoLine* infoLine() const { return m_infoLine; }
    // The stretches now marked, at most two.
    const QVector<TMarkRange>& marks() const { return m_marks; }
    const TLimitMath& math() const { return m_math; }

    // Copies what fits the limit, counted its way.
    void copyFitting(TLimitSlot slot);
    // Words, lines, bytes and characters without line breaks; reads the whole
    // text. With a selection, its count under each other rule in use.
    QString statisticsText() const;

    static QColor pastOneColor() { return QColor(0xFF, 0xD0, 0xD0); }
    static QColor pastBothColor() { return QColor(0xFF, 0x9C, 0x9C); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshInfo();
    void paintMarks(const QRect& area);
    void applyFont();
    void placeInfoLine();
    // The two entries that copy what fits, added to the text area's menu.
    void addCopyEntries(QMenu* menu);
    void addCountRuleMenus(QMenu* menu);
    // The count of the limit's rule, shared by both limits when they count alike.
    const TRuleCount& counter(int slot) const;
    // The limit's name in the info line, with its rule unless the browser's.
    QString limitName(int slot) const;
    // Where a limit falls, kept until the text changes at or before that place.
    int limitPosition(int slot, qsizetype limit);  // slot 0: guest book, 1: forum
    void textChangedAt(int position, int removed, int added);

    struct LimitCache {
        qsizetype limit = 0;
        TCountRule rule = TCountRule::Browser;
        int position = -1;
        bool valid = false;
    };

    TMemo* m_memo;
    QWidget* m_viewport;
    TLimitMath m_math;
    std::function<void(const QString&)> m_copyText;
    TInfoLine* m_infoLine;
    qsizetype m_guestBookLimit = 0;
    qsizetype m_forumLimit = 0;
    int m_lineHeight = 0;
    LimitCache m_cache[2];
    TCountRule m_rules[2] = {TCountRule::Browser, TCountRule::Browser};
    std::unique_ptr<TRuleCount> m_counters[2];
    QVector<TMarkRange> m_marks;
    // Where the marks painted last begin, past one limit and past both (-1: none).
    int m_shownStarts[2] = {-1, -1};
};
