#pragma once
// The menus and the windows' lifetime as the logic sees them.
#include <stdexcept>
#include <string>

#include "platform/controls.h"
#include "platform/menu_tree.h"

namespace tobrak {

// Menu items by control name; an element of a control array by name and index.
class Menus {
public:
    virtual ~Menus() = default;
    virtual MenuItem* item(const std::string& name, int index = -1) = 0;
    // An item the front end did not make is a programming error, not a null item.
    MenuItem& at(MenuName name, int index = -1) {
        MenuItem* m = item(name.name, index);
        if (!m) throw std::logic_error("no menu item " + menuKey(name.name, index));
        return *m;
    }
};

class AppWindows {
public:
    virtual ~AppWindows() = default;
    // Closes the zoom, main, print and acquisition windows in that order; the
    // program ends when the last one is closed.
    virtual void shutdown() = 0;
};

}  // namespace tobrak
