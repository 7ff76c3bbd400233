#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/json_text.h"

// Member paths over a JSON tree, read and written with the rules of the
// script expressions they stand for. Internal to services/.
namespace zorvane::json_detail {

// One step of a path: a member name, or an index written "[n]".
struct PathStep
{
    std::string name;
    std::size_t index = 0;
    bool isIndex = false;
};

// Splits "a.b[2].c" (or "[0].a", or a['x y']) into steps; nullopt when the
// text is no path (an empty step, an unclosed bracket, a bracket holding
// neither digits nor a quoted name).
std::optional<std::vector<PathStep>> parsePath(std::string_view path);

// The step for root[index]: an index, or for a negative number the member
// of that name (as a script would read it).
PathStep indexStep(long long index);

// Where a path leads: to a value, to a missing last member (undefined), or
// nowhere (a member of null or undefined, or a path that does not parse).
struct Lookup
{
    enum class State
    {
        Found,
        Undefined,
        Failed
    };
    State state = State::Failed;
    Json* value = nullptr;

    bool found() const { return state == State::Found; }
};

// Resolves a path; "" is the root. A path that is itself the exact name of
// a member of the root ("some caption", "a.b") means that member.
Lookup lookUp(Json& root, std::string_view path);
// One more step from a lookup.
Lookup lookUpStep(const Lookup& from, const PathStep& step);

// The place a write to a path goes: the value holding the last step.
struct Slot
{
    Json* parent = nullptr;
    PathStep step;
};

// The slot for a non-empty path whose parent exists; nullopt otherwise.
std::optional<Slot> slotFor(Json& root, std::string_view path);

// Assigns into the slot. An object gets the member (an index names the
// member "n"); an array gets the element at an existing index or one just
// past the end. Anything else is left alone and gives false.
bool assign(const Slot& slot, Json value);

// Removes an object member; an array element becomes null (a hole).
void erase(const Slot& slot);

} // namespace zorvane::json_detail
