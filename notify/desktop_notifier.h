#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zorvane {

// One desktop notice as the notification service shows it.
struct DesktopNotice
{
    std::string appName;
    std::string icon; // an icon name from the theme
    std::string summary;
    std::string body; // lines joined with LF
};

// Shows desktop notices. send returns "" when the notice was taken, or the
// cause it was not; a caller falls back to telling it some other way.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual std::string send(const DesktopNotice& notice) = 0;
};

// Text for a notice's body where the service reads markup: "&", "<" and ">"
// as entities, so that it shows as written.
std::string markupEscaped(std::string_view text);

// The desktop's notification service on the session bus (the bus of
// DBUS_SESSION_BUS_ADDRESS, or the user's bus in XDG_RUNTIME_DIR). The body
// goes as plain text, escaped for a service that reads markup.
std::unique_ptr<Notifier> makeSessionBusNotifier();

} // namespace zorvane
