#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// The address as a browser puts it on the wire: space, control characters,
// the characters "<>\^`{|} and every byte from 0x80 on are percent-encoded;
// everything else, existing %-escapes included, stays as it is.
std::string encodeUrlForRequest(std::string_view url);

} // namespace zorvane
