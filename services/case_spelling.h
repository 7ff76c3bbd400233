#pragma once

#include <string>
#include <string_view>

// Letter case in the patterns. Internal to services/.
namespace zorvane::regex_detail {

// The pattern with its letter case spelled out, for compiling without
// PCRE2_CASELESS: wherever case is to be ignored (caseless, or an inline i
// option in force) every ASCII letter stands for both its cases, and nothing
// else folds. PCRE2's own folding would also match U+017F for s and U+212A
// for k, which a script's case-insensitive search never does. The inline i
// options are dropped from the text; their groups keep their other options.
std::string spellOutCase(std::string_view pattern, bool caseless);

} // namespace zorvane::regex_detail
