#pragma once

#include <string>
#include <string_view>
#include <vector>

// Cookies kept as one text per conversation, as a Cookie request header
// carries them: "name=value" entries joined with "; ".
namespace zorvane {

// The first name=value pair of every Set-Cookie line of a response header
// text (lines separated by CR LF, "Set-Cookie" already in this exact case),
// joined with "; ".
std::string collectResponseCookies(std::string_view headerText);

// Folds newCookie into oldCookie: the new entries first, in their order, then
// the old entries whose names the new text lacks; "name=deleted" entries and
// exact repeats are dropped. Both variables lose all their spaces; oldCookie
// receives the result, which is also returned.
std::string mergeCookieText(std::string& oldCookie, std::string& newCookie);

// The cookie text with its line breaks read as entry separators: each line
// trimmed of spaces and semicolons, blank lines dropped, the rest joined
// with "; ". A text without line breaks is returned as it is.
std::string joinCookieLines(std::string_view text);

// The text before the first "=" (all of it when there is none), trimmed of spaces.
std::string cookieEntryName(std::string_view entry);

// True when an entry of the list has exactly that name (case-sensitive).
bool hasCookieNamed(const std::vector<std::string>& entries, std::string_view name);

} // namespace zorvane
