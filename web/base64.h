#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// Standard Base64 (RFC 4648, section 4) with padding and no line breaks.
std::string base64Encode(std::string_view bytes);

} // namespace zorvane
