#include "update/menus.h"

#include "services/json_service.h"

namespace zorvane {

namespace {

using Members = std::vector<std::pair<std::string, JsonService>>;

// Member names the menu description never turns into entries.
bool isReservedName(const std::string& name)
{
    return name == "parseJSON" || name == "toJSONString";
}

// The members of the value as entries and menus read them: by name. A bare
// index is no member path, so the items of an array are found as null.
Members membersByName(const JsonService& value)
{
    Members members = value.members();
    if (value.typeOf() == kJsonArray) {
        for (auto& member : members)
            member.second.parse({});
    }
    return members;
}

// The members of an object as entries; false when it has none.
bool readEntries(const JsonService& object, std::vector<MenuEntry>& entries)
{
    const Members members = membersByName(object);
    for (const auto& [name, value] : members) {
        if (!isReservedName(name))
            entries.push_back({name, value.getValue({})});
    }
    return !members.empty();
}

} // namespace

std::vector<Menu> menusOf(const JsonService& description)
{
    std::vector<Menu> menus;
    if (description.exists("top")) {
        Menu bar{{}, {}, true};
        if (readEntries(description.getObject("top"), bar.entries))
            menus.push_back(std::move(bar));
    }
    if (!description.exists("second"))
        return menus;
    for (const auto& [name, submenu] : membersByName(description.getObject("second"))) {
        if (isReservedName(name))
            continue;
        Menu menu{name, {}, false};
        readEntries(submenu, menu.entries);
        menus.push_back(std::move(menu));
    }
    return menus;
}

std::vector<Menu> parseMenus(const std::string& description)
{
    JsonService doc;
    return doc.parse(description) ? menusOf(doc) : std::vector<Menu>{};
}

} // namespace zorvane
