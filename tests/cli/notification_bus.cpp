#include "tests/cli/notification_bus.h"

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/files.h"

extern char** environ;

namespace zorvane::test {

namespace {

constexpr const char* kConfig =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

const sd_bus_vtable kNotifications[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", &PrivateSessionBus::onNotifyEntry,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetCapabilities", "", "as", &PrivateSessionBus::onGetCapabilitiesEntry,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

} // namespace

PrivateSessionBus::PrivateSessionBus()
{
    const std::string config = m_dir.file("bus.conf");
    writeFileBytes(config, kConfig);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    // As root it complains that it may not raise its file limit; nothing else is said there.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string configArg = "--config-file=" + config;
    const char* argv[] = {"dbus-daemon", configArg.c_str(), "--nofork", "--print-address", nullptr};
    const int spawned =
        posix_spawnp(&m_daemon, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0)
        m_daemon = -1;
    // The daemon prints its address once it listens.
    char c = 0;
    while (m_daemon > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        m_address += c;
    ::close(pipeFds[0]);
}

PrivateSessionBus::~PrivateSessionBus()
{
    m_quit = true;
    if (m_thread.joinable())
        m_thread.join();
    sd_bus_flush_close_unref(m_bus);
    if (m_daemon > 0) {
        ::kill(m_daemon, SIGTERM);
        ::waitpid(m_daemon, nullptr, 0);
    }
}

bool PrivateSessionBus::serveNotifications(std::vector<std::string> capabilities)
{
    m_capabilities = std::move(capabilities);
    if (m_address.empty() || sd_bus_new(&m_bus) < 0)
        return false;
    if (sd_bus_set_address(m_bus, m_address.c_str()) < 0 || sd_bus_set_bus_client(m_bus, 1) < 0 ||
        sd_bus_start(m_bus) < 0)
        return false;
    if (sd_bus_add_object_vtable(m_bus, nullptr, "/org/freedesktop/Notifications",
                                 "org.freedesktop.Notifications", kNotifications, this) < 0 ||
        sd_bus_request_name(m_bus, "org.freedesktop.Notifications", 0) < 0)
        return false;
    m_thread = std::thread([this] { serve(); });
    return true;
}

std::vector<ReceivedNotice> PrivateSessionBus::notices() const
{
    const std::lock_guard lock(m_mutex);
    return m_notices;
}

void PrivateSessionBus::serve()
{
    // The wait ends on bus traffic, or after a tenth of a second to look at m_quit.
    while (!m_quit) {
        if (sd_bus_process(m_bus, nullptr) > 0)
            continue;
        sd_bus_wait(m_bus, 100'000);
    }
}

int PrivateSessionBus::onNotifyEntry(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
{
    const char* appName = nullptr;
    std::uint32_t replaces = 0;
    const char* icon = nullptr;
    const char* summary = nullptr;
    const char* body = nullptr;
    if (const int code = sd_bus_message_read(call, "susss", &appName, &replaces, &icon, &summary, &body);
        code < 0)
        return code;
    auto* bus = static_cast<PrivateSessionBus*>(self);
    const std::lock_guard lock(bus->m_mutex);
    bus->m_notices.push_back({appName, icon, summary, body});
    return sd_bus_reply_method_return(call, "u", static_cast<std::uint32_t>(bus->m_notices.size()));
}

int PrivateSessionBus::onGetCapabilitiesEntry(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
{
    const auto* bus = static_cast<PrivateSessionBus*>(self);
    sd_bus_message* reply = nullptr;
    int code = sd_bus_message_new_method_return(call, &reply);
    if (code >= 0)
        code = sd_bus_message_open_container(reply, 'a', "s");
    for (const std::string& capability : bus->m_capabilities)
        if (code >= 0)
            code = sd_bus_message_append(reply, "s", capability.c_str());
    if (code >= 0)
        code = sd_bus_message_close_container(reply);
    if (code >= 0)
        code = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return code;
}

} // namespace zorvane::test
