#include "notify/desktop_notifier.h"

#include <chrono>
#include <cstring>

#include <systemd/sd-bus.h>

namespace zorvane {

namespace {

// A bus or notification service that hangs must not hold a timer's job for
// long: connecting, authenticating and the call share this much time (sd-bus
// alone waits 90 s for a bus that accepts and never answers).
constexpr std::chrono::microseconds kDeadline = std::chrono::seconds(10);

// Closed without a flush: a flush waits for a bus that may never answer, and
// a call that was answered left nothing to send.
struct BusCloser
{
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct SlotUnref
{
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
struct MessageUnref
{
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusHandle = std::unique_ptr<sd_bus, BusCloser>;
using MessageHandle = std::unique_ptr<sd_bus_message, MessageUnref>;
using SlotHandle = std::unique_ptr<sd_bus_slot, SlotUnref>;

// What became of an asynchronous call.
struct CallOutcome
{
    bool answered = false;
    std::string failure;     // "" when the reply was no error
    bool bodyMarkup = false; // a list of capabilities came back naming "body-markup"
};

int onReply(sd_bus_message* reply, void* userData, sd_bus_error*)
{
    auto* outcome = static_cast<CallOutcome*>(userData);
    outcome->answered = true;
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        outcome->failure = error->message ? error->message : error->name ? error->name : "error";
        return 1;
    }
    // Only GetCapabilities answers with a list of strings; Notify's id is no container.
    if (sd_bus_message_enter_container(reply, 'a', "s") <= 0)
        return 1;
    const char* capability = nullptr;
    while (sd_bus_message_read(reply, "s", &capability) > 0)
        outcome->bodyMarkup = outcome->bodyMarkup || std::strcmp(capability, "body-markup") == 0;
    return 1;
}

// Sends the call and waits for its reply until the deadline, the bus's own
// handshake included; the failure is "" when it was answered without an error.
CallOutcome callBefore(sd_bus* bus, sd_bus_message* call, std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    CallOutcome outcome;
    sd_bus_slot* rawSlot = nullptr;
    int code = sd_bus_call_async(bus, &rawSlot, call, onReply, &outcome,
                                 static_cast<std::uint64_t>(kDeadline.count()));
    const SlotHandle slot(rawSlot);
    while (code >= 0 && !outcome.answered) {
        code = sd_bus_process(bus, nullptr);
        if (code != 0)
            continue;
        const auto left = duration_cast<microseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            outcome.failure =
                "会话总线" + std::to_string(duration_cast<seconds>(kDeadline).count()) + "秒内没有回答";
            return outcome;
        }
        code = sd_bus_wait(bus, static_cast<std::uint64_t>(left.count()));
    }
    if (code < 0)
        outcome.failure = std::strerror(-code);
    return outcome;
}

// Whether the service takes markup in a notice's body (the "body-markup"
// capability); a service that does not say is taken to show text as it is.
bool readsBodyMarkup(sd_bus* bus, std::chrono::steady_clock::time_point deadline)
{
    sd_bus_message* rawCall = nullptr;
    const int code = sd_bus_message_new_method_call(bus, &rawCall, "org.freedesktop.Notifications",
                                                    "/org/freedesktop/Notifications",
                                                    "org.freedesktop.Notifications", "GetCapabilities");
    const MessageHandle call(rawCall);
    return code >= 0 && callBefore(bus, call.get(), deadline).bodyMarkup;
}

class SessionBusNotifier final : public Notifier
{
public:
    std::string send(const DesktopNotice& notice) override
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
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
        const std::string body =
            readsBodyMarkup(bus.get(), deadline) ? markupEscaped(notice.body) : notice.body;
        if (code >= 0)
            // No replaced notice, no actions, no hints, the service's own timeout.
            code = sd_bus_message_append(call.get(), "susssasa{sv}i", notice.appName.c_str(), 0U,
                                         notice.icon.c_str(), notice.summary.c_str(), body.c_str(), 0, 0, -1);
        if (code < 0)
            return std::strerror(-code);
        return callBefore(bus.get(), call.get(), deadline).failure;
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
