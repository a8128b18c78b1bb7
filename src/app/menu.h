#pragma once
// The commands behind the menu tree's items.
#include <string>
#include <vector>

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

// Keys 1 to 8 (the number pad's too): one more of that hand counter; with Shift,
// one taken back. A key without a counter does nothing.
void counterKey(Program& c, int digit, bool back);

// The hand counters' window, a row a counter: its key, name, count and 1/x over
// the normal games.
struct CounterRow {
    std::string key, name, count, odds;
    bool operator==(const CounterRow&) const = default;
};
std::vector<CounterRow> counterRows(const Program& c);
extern const char* const kCounterTitle;  // "小役カウンター"
extern const char* const kNoCounters;    // the window's text when the profile names none
void graphEndKey(Program& c);

}  // namespace tobrak
