#pragma once

#include <string>
#include <string_view>

namespace zorvane {

struct AppState;
class FeedbackSink;
class LogBuffer;
class ManualResetEvent;

// "HH:MM:SS message\r\n".
std::string formatLogLine(int hours, int minutes, int seconds, std::string_view message);

// Adds one time-stamped line to the pending log text. Any thread, never blocks
// beyond the append.
bool appendLog(LogBuffer& log, std::string_view message);
bool appendLog(AppState& state, std::string_view message);

// Takes the pending log text, leaving it empty.
std::string takeLogBuffer(AppState& state);

// Moves the pending log text to the window every 300 ms (code 1001, sent),
// nothing when there is none; returns when quit is set.
void logPump(AppState& state, FeedbackSink& sink, ManualResetEvent& quit);

} // namespace zorvane
