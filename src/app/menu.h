#pragma once
// The commands behind the menu tree's items.
#include "app/program.h"
#include "platform/menu_tree.h"

namespace tobrak {

// Runs the command of a table entry (a click on its item).
void runMenuCommand(Program& c, const MenuEntry& e);

// A click on an item named in code; an index the table does not hold is a
// programming error (std::logic_error).
void menuClick(Program& c, MenuName name, int index = -1);

// The live view's check item: checked while the page is served.
void showLiveState(Program& c);

// The Home and End keys: the slump graph from the start of the record, or at the
// newest game. Nothing in the analysis view, like the scroll items.
void graphHomeKey(Program& c);
void graphEndKey(Program& c);

}  // namespace tobrak
