#pragma once
// The main window's menu tree: one table for every front end, and the command
// each item runs.
#include <string>
#include <vector>

#include "app/core.h"

namespace tobrak {

struct MenuEntry {
    const char* name;    // control name
    int index;           // element of a control array, or -1
    const char* caption;  // "-" is a separator
    const char* parent;  // control name of the drop-down, or nullptr for the bar itself
    bool visible;        // at start-up
};

// In display order; a bar item with children is a drop-down.
const std::vector<MenuEntry>& menuTree();

// Key of an item, as the registry stores it: "menPage", "GhpHyo(2)".
std::string menuKey(const std::string& name, int index = -1);

// Runs the command of a menu item (a click on it).
void menuClick(Core& c, const std::string& name, int index = -1);

}  // namespace tobrak
