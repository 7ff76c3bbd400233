#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// JSON text in and out of a tree, copies of a tree and new members of its
// objects, without recursion and without copying a value: an answer may nest
// far deeper than the stack could follow. Internal to services/.
namespace zorvane::json_detail {

using Json = nlohmann::ordered_json;

// Deeper documents are refused, which bounds the memory one text can claim.
inline constexpr std::size_t kMaxDepth = 100000;

// Parses JSON text as a script engine reads it: a number beyond the double
// range is an infinity, a lone surrogate escape is U+FFFD, a repeated member
// keeps its first place and its last value. Nullopt on invalid text (invalid
// UTF-8 included) or nesting beyond kMaxDepth.
std::optional<Json> parseJson(std::string_view text);

// JSON text of a value as a script's JSON.stringify writes it (numbers in
// their shortest form: 3, 1e+21, 1e-7); non-ASCII characters as \u escapes
// when asciiOnly.
std::string jsonText(const Json& value, bool asciiOnly = false);

// The value as a script host converts it to text: strings unchanged, numbers
// "%.13g", booleans "true"/"false", null "", arrays their items joined by
// ",", objects "[object Object]".
std::string displayText(const Json& value);

// A copy of the value.
Json deepCopy(const Json& value);

// Sets the object's member, adding it last when it is new.
void setMember(Json& object, const std::string& name, Json value);

} // namespace zorvane::json_detail
