#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace zorvane {

struct AppState;
class FeedbackSink;
class ManualResetEvent;

struct StartupCheckOptions
{
    std::chrono::milliseconds retryDelay{3000};
    ManualResetEvent* quit = nullptr;                    // set to end the retries early
    std::function<void(const std::string&)> openAddress; // opens a web address in the browser
};

// Waits before the next attempt, logging "3秒后重试。。。" first when asked.
// False when quit was set during the wait.
bool retryPause(AppState& state, bool log, const StartupCheckOptions& options);

// Asks the update endpoint until a valid answer arrives, then applies it:
// item address template, caption (1003), log notes, version note, menus
// (1002), browser box page (1005), browser page and message (1004). Remote
// addresses are used only when they are http or https addresses.
void startupCheck(AppState& state, FeedbackSink& sink, const StartupCheckOptions& options);

} // namespace zorvane
