#pragma once

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>
#include <systemd/sd-bus.h>

#include "tests/support/temp_dir.h"

namespace zorvane::test {

// A notice as the stand-in notification service received it.
struct ReceivedNotice
{
    std::string appName;
    std::string icon;
    std::string summary;
    std::string body;

    bool operator==(const ReceivedNotice&) const = default;
};

// How a failing check shows a notice.
inline void PrintTo(const ReceivedNotice& notice, std::ostream* out)
{
    *out << "{" << notice.appName << " | " << notice.icon << " | " << notice.summary << " | " << notice.body
         << "}";
}

// A session bus of the test's own (dbus-daemon on a private configuration,
// nothing activated on it) and, once asked, a stand-in for the desktop's
// notification service on it that keeps every notice it is sent.
class PrivateSessionBus final
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // The bus's address for DBUS_SESSION_BUS_ADDRESS; "" when it did not start.
    const std::string& address() const { return m_address; }
    // Takes the name org.freedesktop.Notifications, telling these
    // capabilities when asked; false when it could not.
    bool serveNotifications(std::vector<std::string> capabilities = {});
    std::vector<ReceivedNotice> notices() const;

    // The service's Notify method (an sd-bus handler).
    static int onNotifyEntry(sd_bus_message* call, void* self, sd_bus_error* error);
    static int onGetCapabilitiesEntry(sd_bus_message* call, void* self, sd_bus_error* error);

private:
    void serve();

    TempDir m_dir;
    pid_t m_daemon = -1;
    std::string m_address;
    sd_bus* m_bus = nullptr;
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<ReceivedNotice> m_notices;
    std::vector<std::string> m_capabilities;
};

} // namespace zorvane::test
