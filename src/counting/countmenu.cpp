#include "counting/countmenu.h"

#include <QActionGroup>
#include <QMenu>

#include "framework/Guarded.h"

namespace {

void AddRuleMenu(QMenu* menu, const QString& title, const QString& name, TLimitSlot slot, TCountRule current,
                 const std::function<void(TLimitSlot, TCountRule)>& choose)
{
    QMenu* rules = menu->addMenu(title);
    rules->setObjectName(name);
    rules->menuAction()->setObjectName(name);
    auto* group = new QActionGroup(rules);
    group->setExclusive(true);
    for (int value = int(FirstCountRule); value <= int(LastCountRule); ++value) {
        const TCountRule rule = TCountRule(value);
        QAction* action = rules->addAction(CountRuleName(rule));
        action->setObjectName(name + QString::number(value));
        action->setCheckable(true);
        action->setChecked(rule == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, rules, Guarded([choose, slot, rule, current] {
                             if (rule != current)
                                 choose(slot, rule);
                         }));
    }
}

}  // namespace

void AddCountRuleMenus(QMenu* menu, TCountRule guestBook, TCountRule forum,
                       const std::function<void(TLimitSlot, TCountRule)>& choose)
{
    AddRuleMenu(menu, QStringLiteral("Gästebuch zählt …"), QStringLiteral("miZaehlweiseGB"), TLimitSlot::GuestBook,
                guestBook, choose);
    AddRuleMenu(menu, QStringLiteral("Forum zählt …"), QStringLiteral("miZaehlweiseForum"), TLimitSlot::Forum, forum,
                choose);
}
