#include "platform/headless/memory_ui.h"

namespace tobrak::headless {

MemMenus::MemMenus() {
    for (const MenuEntry& e : kMenuTree) {
        auto item = std::make_unique<MemMenuItem>();
        item->setCaption(e.caption);
        item->setVisible(e.visible);
        items_[menuKey(e.name, e.index)] = std::move(item);
    }
}

MenuItem* MemMenus::item(const std::string& name, int index) {
    const auto it = items_.find(menuKey(name, index));
    return it == items_.end() ? nullptr : it->second.get();
}

}  // namespace tobrak::headless
