#include "core/log.h"

#include <chrono>
#include <ctime>
#include <mutex>

#include "base/manual_reset_event.h"
#include "core/app_state.h"
#include "core/feedback.h"

namespace zorvane {

namespace {

void appendTwoDigits(std::string& out, int value)
{
    std::string digits = "0" + std::to_string(value);
    out.append(digits.substr(digits.size() - 2));
}

} // namespace

std::string formatLogLine(int hours, int minutes, int seconds, std::string_view message)
{
    std::string line;
    line.reserve(message.size() + 11);
    appendTwoDigits(line, hours);
    line.push_back(':');
    appendTwoDigits(line, minutes);
    line.push_back(':');
    appendTwoDigits(line, seconds);
    line.push_back(' ');
    line.append(message);
    line.append("\r\n");
    return line;
}

bool appendLog(LogBuffer& log, std::string_view message)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    log.append(formatLogLine(local.tm_hour, local.tm_min, local.tm_sec, message));
    return true;
}

bool appendLog(AppState& state, std::string_view message)
{
    return appendLog(state.log, message);
}

std::string takeLogBuffer(AppState& state)
{
    return state.log.take();
}

void LogBuffer::append(std::string_view lines)
{
    std::lock_guard guard(m_lock.get());
    m_text.append(lines);
}

std::string LogBuffer::take()
{
    std::string taken;
    std::lock_guard guard(m_lock.get());
    taken.swap(m_text);
    return taken;
}

void logPump(AppState& state, FeedbackSink& sink, ManualResetEvent& quit)
{
    using namespace std::chrono_literals;
    while (!quit.waitFor(300ms)) {
        std::string text = takeLogBuffer(state);
        if (auto payload = makePayloadText(text))
            sink.send(Feedback{kFeedbackLog, 0, std::move(payload)});
    }
}

std::optional<std::string> makePayloadText(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace zorvane
