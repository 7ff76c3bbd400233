#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How each kind of input control's state is written as one settings value,
// and read back. Pure functions: the window reads and sets the controls.
namespace zorvane {

// Edit box. A line break is stored as "><br><" so the value stays on one
// line; CR LF, a lone CR and a lone LF are all line breaks, and each comes
// back as CR LF. Text the user typed as "><br><" comes back as a line break.
std::string encodeEditText(std::string_view text);
std::string decodeEditText(std::string_view value);

// Check box and radio button: "真" / "假"; anything but exactly "假" ticks.
std::string encodeTicked(bool ticked);
bool decodeTicked(std::string_view value);

// Combo box: items (text, data), the selected index (-1 = none) and the
// edit text, stored as "text<|>data<||>…<||>index<|>edit".
struct ComboState
{
    std::vector<std::pair<std::string, long long>> items;
    int currentIndex = -1;
    std::string editText;

    bool operator==(const ComboState&) const = default;
};
std::string encodeCombo(const ComboState& combo);

// Pieces are cut at "<||>" (an empty last piece is dropped). In every piece
// but the last, the text is what stands before the first "<|>" and the data
// the number after the last one; the last piece gives the index (before the
// first "<|>") and the edit text (after the last). Without "<|>" both parts
// of a piece are empty. Numbers read as a leading decimal number, truncated.
ComboState decodeCombo(std::string_view value);

// Date box.
struct DateTime
{
    int year = 100;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const DateTime&) const = default;
};

// "2024年5月6日" followed by "12时30分15秒", "12时30分", "12时" or nothing,
// dropping the trailing zero parts.
std::string encodeDate(const DateTime& date);

// Reads what encodeDate writes (spaces around it are ignored). An empty,
// unreadable or impossible value (year outside 100..9999, 31 February, ...)
// gives the earliest date, 100-01-01 00:00:00.
DateTime decodeDate(std::string_view value);

// True when the control's name occurs anywhere in the exclusion list (plain,
// case-sensitive substring). An empty name is never excluded.
bool isExcluded(std::string_view name, std::string_view exclusionList);

} // namespace zorvane
