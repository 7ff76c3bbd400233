#include "history/tag_list.h"

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace zorvane {

std::string tagListText(const std::vector<std::string>& tags)
{
    // A tag is cut from a page checked for UTF-8; should one still not be,
    // its bad bytes become U+FFFD rather than the whole list failing.
    return nlohmann::json(tags).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::string> tagListFrom(std::string_view text)
{
    const nlohmann::json list = nlohmann::json::parse(text, nullptr, false);
    std::vector<std::string> tags;
    if (!list.is_array())
        return tags;
    for (const nlohmann::json& tag : list) {
        if (tag.is_string())
            tags.push_back(tag.get<std::string>());
    }
    return tags;
}

std::vector<std::string> splitJoinedTags(std::string_view tagText)
{
    std::vector<std::string> tags = splitText(tagText, ",");
    std::erase(tags, std::string());
    return tags;
}

} // namespace zorvane
