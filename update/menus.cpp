#include "update/menus.h"

#include "services/json_service.h"

namespace zorvane {

namespace {

// Member names the menu description never turns into entries.
bool isReservedName(const std::string& name)
{
    return name == "parseJSON" || name == "toJSONString";
}

// The members of the object at doc's member as entries; false when there is no such object.
bool readEntries(const JsonService& doc, const std::string& member, std::vector<MenuEntry>& entries)
{
    JsonService object;
    std::vector<std::string> names;
    if (!object.parse(doc.getValue(member, true)) || object.keys(names) == 0)
        return false;
    for (const std::string& name : names) {
        if (!isReservedName(name))
            entries.push_back({name, object.getValue(name)});
    }
    return true;
}

} // namespace

std::vector<Menu> parseMenus(const std::string& description)
{
    std::vector<Menu> menus;
    JsonService doc;
    if (!doc.parse(description))
        return menus;
    if (doc.exists("top")) {
        Menu bar{{}, {}, true};
        if (readEntries(doc, "top", bar.entries))
            menus.push_back(std::move(bar));
    }
    if (!doc.exists("second"))
        return menus;
    JsonService second;
    std::vector<std::string> names;
    if (!second.parse(doc.getValue("second", true)) || second.keys(names) == 0)
        return menus;
    for (const std::string& name : names) {
        if (isReservedName(name))
            continue;
        Menu menu{name, {}, false};
        readEntries(second, name, menu.entries);
        menus.push_back(std::move(menu));
    }
    return menus;
}

} // namespace zorvane
