#pragma once

#include <functional>

#include "counting/countrule.h"

class QMenu;

// Which limit a counting rule belongs to.
enum class TLimitSlot { GuestBook = 0, Forum = 1 };

// Adds the submenus "Gästebuch zählt …" and "Forum zählt …" to menu, each
// with the five rules as radio items, the current rule checked. choose runs
// (guarded) when the user picks a rule other than the current one.
void AddCountRuleMenus(QMenu* menu, TCountRule guestBook, TCountRule forum,
                       const std::function<void(TLimitSlot, TCountRule)>& choose);
