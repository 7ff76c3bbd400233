#include "notify/desktop_notifier.h"

#include <cstring>

#include <systemd/sd-bus.h>

namespace zorvane {

namespace {

// A notification service that hangs must not hold a timer's job for long.
constexpr std::uint64_t kCallTimeoutUsec = 10'000'000;

struct BusCloser
{
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref
{
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusHandle = std::unique_ptr<sd_bus, BusCloser>;
using MessageHandle = std::unique_ptr<sd_bus_message, MessageUnref>;

// Frees an sd_bus_error on every way out.
class BusError final
{
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &m_error; }
    std::string text(int code) const
    {
        if (m_error.message)
            return m_error.message;
        return m_error.name ? m_error.name : std::strerror(-code);
    }

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

// Whether the service takes markup in a notice's body (the "body-markup"
// capability); a service that does not say is taken to show text as it is.
bool readsBodyMarkup(sd_bus* bus)
{
    sd_bus_message* rawCall = nullptr;
    int code = sd_bus_message_new_method_call(bus, &rawCall, "org.freedesktop.Notifications",
                                              "/org/freedesktop/Notifications",
                                              "org.freedesktop.Notifications", "GetCapabilities");
    const MessageHandle call(rawCall);
    BusError error;
    sd_bus_message* rawReply = nullptr;
    if (code >= 0)
        code = sd_bus_call(bus, call.get(), kCallTimeoutUsec, error.get(), &rawReply);
    const MessageHandle reply(rawReply);
    if (code < 0 || sd_bus_message_enter_container(reply.get(), 'a', "s") < 0)
        return false;
    const char* capability = nullptr;
    while (sd_bus_message_read(reply.get(), "s", &capability) > 0) {
        if (std::strcmp(capability, "body-markup") == 0)
            return true;
    }
    return false;
}

class SessionBusNotifier final : public Notifier
{
public:
    std::string send(const DesktopNotice& notice) override
    {
        sd_bus* raw = nullptr;
        int code = sd_bus_open_user(&raw);
        const BusHandle bus(raw);
        if (code < 0)
            return std::string("没有会话总线（") + std::strerror(-code) + "）";
        sd_bus_message* rawCall = nullptr;
        code = sd_bus_message_new_method_call(bus.get(), &rawCall, "org.freedesktop.Notifications",
                                              "/org/freedesktop/Notifications",
                                              "org.freedesktop.Notifications", "Notify");
        const MessageHandle call(rawCall);
        // A name from the shop is text: where the service reads markup, its
        // "<", ">" and "&" must not be taken for tags.
        const std::string body = readsBodyMarkup(bus.get()) ? markupEscaped(notice.body) : notice.body;
        if (code >= 0)
            // No replaced notice, no actions, no hints, the service's own timeout.
            code = sd_bus_message_append(call.get(), "susssasa{sv}i", notice.appName.c_str(), 0U,
                                         notice.icon.c_str(), notice.summary.c_str(), body.c_str(), 0, 0, -1);
        if (code < 0)
            return std::strerror(-code);
        BusError error;
        sd_bus_message* rawReply = nullptr;
        code = sd_bus_call(bus.get(), call.get(), kCallTimeoutUsec, error.get(), &rawReply);
        const MessageHandle reply(rawReply);
        return code < 0 ? error.text(code) : "";
    }
};

} // namespace

std::string markupEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

std::unique_ptr<Notifier> makeSessionBusNotifier()
{
    return std::make_unique<SessionBusNotifier>();
}

} // namespace zorvane
