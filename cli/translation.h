#pragma once

#include <string>

#include <libintl.h>

namespace zorvane::cli {

// The catalogue of the program's own messages (not of the walk's log lines,
// which are the same in every language).
inline constexpr const char* kTextDomain = "zorvane-cli";

// The folder the running program was started from.
std::string programDirectory();

// Takes the language of the messages from the locale (LC_ALL, LC_MESSAGES,
// LANG, LANGUAGE) and finds the catalogue beside the program.
void setUpTranslation();

// A message in the user's language; English when there is no translation.
[[gnu::format_arg(1)]] inline const char* _(const char* message)
{
    return ::dgettext(kTextDomain, message);
}

// The form of a message for count: the second given for English plurals.
[[gnu::format_arg(1), gnu::format_arg(2)]] inline const char* _n(const char* one, const char* many, int count)
{
    return ::dngettext(kTextDomain, one, many, static_cast<unsigned long>(count < 0 ? -count : count));
}

// Marks a message for the catalogue where it is stored, to be translated with
// _() where it is shown.
constexpr const char* N_(const char* message)
{
    return message;
}

// A message with its "%s" replaced by value: the piece a translation may move.
std::string fillIn(const char* message, const std::string& value);

} // namespace zorvane::cli
