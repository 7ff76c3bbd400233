#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvane {

// A sighting's tags as the history file keeps them: a JSON array of texts,
// which holds any tag, the "," that tag_text joins them with included.
std::string tagListText(const std::vector<std::string>& tags);

// The tags of a stored list; none when the text is no array of texts.
std::vector<std::string> tagListFrom(std::string_view text);

// The tags of a joined tag text as the walk joined them: split at every ",",
// empty pieces dropped (a walk never keeps an empty tag).
std::vector<std::string> splitJoinedTags(std::string_view tagText);

} // namespace zorvane
