#pragma once

#include <string>
#include <vector>

#include "core/link_menu.h"

namespace zorvane {

class JsonService;

// The menus a menu description asks for, in the order they are added to the
// menu bar: the entries of its "top" member (on the bar itself), then one
// menu per member of "second" (a menu whose entries cannot be read stays
// empty). The names parseJSON and toJSONString never become entries.
std::vector<Menu> menusOf(const JsonService& description);

// The same for a description given as JSON text; nothing for other text.
std::vector<Menu> parseMenus(const std::string& description);

} // namespace zorvane
