#pragma once

#include <string>
#include <vector>

namespace zorvane {

struct MenuEntry
{
    std::string caption;
    std::string link; // "" = the entry does nothing
};

// One menu of the update answer's menu description. The entries of the
// description's "top" member stand on the menu bar itself.
struct Menu
{
    std::string title;
    std::vector<MenuEntry> entries;
    bool onBar = false; // the entries are the bar's own; there is no title
};

// The menus a menu description (JSON) asks for, in the order they are added
// to the menu bar: the "top" entries, then one menu per member of "second"
// (a menu whose entries cannot be read stays empty). Nothing for text that
// is not JSON; the names parseJSON and toJSONString never become entries.
std::vector<Menu> parseMenus(const std::string& description);

} // namespace zorvane
