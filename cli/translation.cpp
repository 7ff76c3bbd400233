#include "cli/translation.h"

#include <clocale>
#include <filesystem>
#include <system_error>

namespace zorvane::cli {

std::string programDirectory()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

void setUpTranslation()
{
    // Only the messages follow the locale: numbers, character classes and
    // times keep the C rules, so the output formats are the same everywhere.
    std::setlocale(LC_MESSAGES, "");
    // Installed, the catalogues are in ../share/locale from bin/; built, the
    // build puts them at the same place relative to the program.
    const std::filesystem::path locales =
        std::filesystem::path(programDirectory()) / ZORVANE_LOCALE_DIR_FROM_PROGRAM;
    ::bindtextdomain(kTextDomain, locales.lexically_normal().c_str());
    // The log lines are UTF-8 whatever the locale; the messages between them
    // too, the C library's (strerror) among them.
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
    ::bind_textdomain_codeset("libc", "UTF-8");
}

std::string fillIn(const char* message, const std::string& value)
{
    std::string text = message;
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

} // namespace zorvane::cli
