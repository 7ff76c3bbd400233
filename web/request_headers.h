#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The request and response header texts of one HTTP exchange.
namespace zorvane {

// Name of a header line: the text before the first ":", trimmed of spaces;
// "" when the line has no ":".
std::string headerName(std::string_view line);

// Value of a header line: the text after the first ":", trimmed of spaces;
// "" when the line has no ":".
std::string headerValue(std::string_view line);

// Completes a CR LF separated header text with the default headers
// (Accept, Referer = url, Accept-Language, User-Agent, Content-Type), each
// appended in that order unless the text already contains its "Name:"
// (case-sensitive, anywhere).
void completeDefaultHeaders(std::string& headers, std::string_view url);

// The (name, value) pairs a header text sends, in order. Pieces with an
// empty name, and pieces with a stray CR or LF (which would smuggle extra
// lines onto the wire), are left out.
std::vector<std::pair<std::string, std::string>> requestHeaderLines(std::string_view headers);

// Rewrites every "Set-Cookie", in any mix of case, as "Set-Cookie".
std::string normaliseSetCookie(std::string_view headerText);

// Method name for a method code; codes outside 0..5 mean GET.
const char* methodName(int method);

} // namespace zorvane
