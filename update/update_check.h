#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace zorvane {

struct AppState;
class FeedbackSink;
class ManualResetEvent;

struct UpdateCheckOptions
{
    std::chrono::milliseconds retryDelay{3000};
    ManualResetEvent* quit = nullptr;                    // set to end the retries early
    std::function<void(const std::string&)> openAddress; // opens a web address in the browser
};

// Waits before the next attempt, logging "3秒后重试。。。" first when asked.
// False when quit was set during the wait.
bool retryPause(AppState& state, bool log, const UpdateCheckOptions& options);

// Asks the update endpoint until a valid answer arrives, then applies it:
// item address template, caption (1003), log notes, version note, menus
// (1002, read here: the window only adds them), browser box page (1005),
// browser page and message (1004). Remote
// addresses are used only when they are http or https addresses.
void updateCheck(AppState& state, FeedbackSink& sink, const UpdateCheckOptions& options);

// What the window's hidden browser box does with the answer's load_page: the
// page is requested on a thread of its own and its answer dropped. An address
// that is not http or https is logged and left alone.
void requestPageQuietly(AppState& state, const std::string& address);

} // namespace zorvane
