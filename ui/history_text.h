#pragma once

#include <QString>

#include <string>

namespace zorvane {
struct WalkSummary;
}

namespace zorvane::ui {

// Addresses in the history's menu and dialog are cut to about this many characters.
inline constexpr int kShownAddressChars = 80;

// An address as a person reads it: percent escapes decoded (when they make
// UTF-8; otherwise the address stays as stored), control characters as spaces.
QString readableAddress(const std::string& address);

// The text cut in the middle to at most maxChars characters, "…" marking the
// cut; a character written as a surrogate pair is never split.
QString elideMiddle(const QString& text, int maxChars);

// The walk's end in words: 已完成, 达到页数限制, 优惠券已过期, 需要登录,
// 自动暂停, 已暂停, 已停止; "" for a walk that never ended; an end this
// program does not know as stored.
QString walkEndText(const std::string& endReason);

// The 历史 menu's entry for a walk: its time, its address (readable, cut in
// the middle) and its goods count, "&" kept from becoming a shortcut mark.
QString historyMenuCaption(const WalkSummary& walk);

} // namespace zorvane::ui
