#include "services/json_path.h"

#include <algorithm>

namespace zorvane::json_detail {

namespace {

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Reads the bracket at path[pos] (pos on '['); returns the position after ']'.
std::optional<std::size_t> parseBracket(std::string_view path, std::size_t pos, PathStep& step)
{
    const std::size_t close = path.find(']', pos);
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view inner = path.substr(pos + 1, close - pos - 1);
    if (inner.size() >= 2 && (inner.front() == '\'' || inner.front() == '"') &&
        inner.back() == inner.front()) {
        step.name = std::string(inner.substr(1, inner.size() - 2));
        return close + 1;
    }
    if (!allDigits(inner))
        return std::nullopt;
    // Past 9 digits no array is that long; the text still names an object member.
    if (inner.size() <= 9) {
        step.isIndex = true;
        step.index = std::stoul(std::string(inner));
    }
    step.name = std::string(inner);
    return close + 1;
}

} // namespace

std::optional<std::vector<PathStep>> parsePath(std::string_view path)
{
    std::vector<PathStep> steps;
    std::size_t pos = 0;
    while (pos < path.size()) {
        PathStep step;
        if (path[pos] == '[') {
            auto next = parseBracket(path, pos, step);
            if (!next)
                return std::nullopt;
            pos = *next;
        } else {
            const std::size_t end = std::min(path.find_first_of(".[]", pos), path.size());
            if (end == pos)
                return std::nullopt;
            step.name = std::string(path.substr(pos, end - pos));
            pos = end;
        }
        steps.push_back(std::move(step));
        if (pos < path.size() && path[pos] == '.') {
            if (++pos == path.size() || path[pos] == '[')
                return std::nullopt;
        } else if (pos < path.size() && path[pos] != '[') {
            return std::nullopt;
        }
    }
    if (steps.empty())
        return std::nullopt;
    return steps;
}

PathStep indexStep(long long index)
{
    PathStep step;
    step.name = std::to_string(index);
    if (index >= 0) {
        step.isIndex = true;
        step.index = static_cast<std::size_t>(index);
    }
    return step;
}

Lookup lookUpStep(const Lookup& from, const PathStep& step)
{
    // A member of null or undefined is an error, not a missing member.
    if (!from.found() || from.value->is_null())
        return {};
    Json& value = *from.value;
    if (value.is_object()) {
        auto it = value.find(step.name);
        if (it == value.end())
            return {Lookup::State::Undefined, nullptr};
        return {Lookup::State::Found, &*it};
    }
    if (value.is_array() && step.isIndex && step.index < value.size())
        return {Lookup::State::Found, &value[step.index]};
    return {Lookup::State::Undefined, nullptr};
}

Lookup lookUp(Json& root, std::string_view path)
{
    Lookup at{Lookup::State::Found, &root};
    if (path.empty())
        return at;
    if (root.is_object()) {
        auto it = root.find(path);
        if (it != root.end())
            return {Lookup::State::Found, &*it};
    }
    auto steps = parsePath(path);
    if (!steps)
        return {};
    for (const PathStep& step : *steps)
        at = lookUpStep(at, step);
    return at;
}

std::optional<Slot> slotFor(Json& root, std::string_view path)
{
    if (path.empty())
        return std::nullopt;
    if (root.is_object() && root.contains(path)) {
        Slot slot{&root, {}};
        slot.step.name = std::string(path);
        return slot;
    }
    auto steps = parsePath(path);
    if (!steps)
        return std::nullopt;
    Lookup parent{Lookup::State::Found, &root};
    for (std::size_t i = 0; i + 1 < steps->size(); ++i)
        parent = lookUpStep(parent, (*steps)[i]);
    if (!parent.found() || parent.value->is_null())
        return std::nullopt;
    return Slot{parent.value, std::move(steps->back())};
}

bool assign(const Slot& slot, Json value)
{
    Json& parent = *slot.parent;
    if (parent.is_object()) {
        setMember(parent, slot.step.name, std::move(value));
        return true;
    }
    if (!parent.is_array() || !slot.step.isIndex || slot.step.index > parent.size())
        return false;
    if (slot.step.index == parent.size())
        parent.push_back(std::move(value));
    else
        parent[slot.step.index] = std::move(value);
    return true;
}

void erase(const Slot& slot)
{
    Json& parent = *slot.parent;
    if (parent.is_object())
        parent.erase(slot.step.name);
    else if (parent.is_array() && slot.step.isIndex && slot.step.index < parent.size())
        parent[slot.step.index] = nullptr;
}

} // namespace zorvane::json_detail
