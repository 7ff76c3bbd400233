#pragma once

#include <string>
#include <vector>

namespace zorvane {

// One link entry of a menu the update answer adds to the menu bar.
struct MenuEntry
{
    std::string caption;
    std::string link; // "" = the entry does nothing
};

// One menu the update answer asks for.
struct Menu
{
    std::string title;
    std::vector<MenuEntry> entries;
    bool onBar = false; // the entries are the bar's own; there is no title
};

} // namespace zorvane
