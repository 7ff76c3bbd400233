#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/goods_record.h"
#include "core/link_menu.h"
#include "core/walk_events.h"

namespace zorvane {

// Codes of the worker-to-window channel: numbers on the wire, so constants.
inline constexpr int kFeedbackLog = 1001;         // text: log lines to append
inline constexpr int kFeedbackMenu = 1002;        // menus: link menus to add
inline constexpr int kFeedbackCaption = 1003;     // text: window caption
inline constexpr int kFeedbackMessage = 1004;     // text: message box text
inline constexpr int kFeedbackLoadPage = 1005;    // text: address for the browser box
inline constexpr int kFeedbackNewGoods = 1006;    // number: records now in the store; goods: the record
inline constexpr int kFeedbackShowGoods = 1007;   // number: 1-based position of a record
inline constexpr int kFeedbackPageDone = 1008;    // number: pages done (posted, for the status bar)
inline constexpr int kFeedbackChanges = 1009;     // changes: stored records' 变化 (posted by the history)
inline constexpr int kFeedbackClearGoods = 1010;  // the earlier goods go: a fresh walk's thread began
inline constexpr int kFeedbackSearchEnded = 1091; // number: why the walk ended (WalkEndReason); end: the end
inline constexpr int kFeedbackFilterEnded = 1092;
inline constexpr int kFeedbackSortEnded = 1093;
inline constexpr int kFeedbackExportEnded = 1094; // number: 1 when the file was written

// One message. The payload is a value: whoever handles it owns its copy, so
// nothing is freed by hand and nothing is lost.
struct Feedback
{
    int code = 0;
    std::int64_t number = 0;
    std::optional<std::string> text; // empty optional = no text
    // Read and checked on the sending thread, so the window only adds them.
    std::vector<Menu> menus{};
    // The walk's events carry their subject: the window shows what came, as it came.
    std::optional<StoredGoods> goods{};
    std::optional<WalkEnd> end{};
    // Found on the history's thread after the records were shown.
    std::vector<StoredChange> changes{};
};

// Where workers report. The window's adapter runs every message on the UI
// thread; send() returns only after it was handled, post() returns at once.
class FeedbackSink
{
public:
    virtual ~FeedbackSink() = default;
    virtual void send(const Feedback& message) = 0;
    virtual void post(const Feedback& message) = 0;
};

// A text payload, or none for an empty text.
std::optional<std::string> makePayloadText(const std::string& text);

} // namespace zorvane
