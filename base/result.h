#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace zorvane {

// Why something could not be done, in the words its caller logs or prints.
// Returned where a Result is expected: `return Failure{"cannot read " + path};`.
struct Failure
{
    std::string error;
};

// A value, or the reason there is none. Every fallible step of the house
// answers with one, so that a caller never hands in a string to be filled.
template <typename T> class [[nodiscard]] Result final
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_error(std::move(failure.error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }

    // The reason; "" when ok().
    const std::string& error() const { return m_error; }

private:
    std::optional<T> m_value;
    std::string m_error;
};

// A step that yields nothing but may fail.
template <> class [[nodiscard]] Result<void> final
{
public:
    Result() = default;
    Result(Failure failure) : m_ok(false), m_error(std::move(failure.error)) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_error; }

private:
    bool m_ok = true;
    std::string m_error;
};

// Done when ok, else the reason: for checks whose reason is cheap to write.
inline Result<void> okOr(bool ok, std::string error)
{
    if (ok)
        return {};
    return Failure{std::move(error)};
}

} // namespace zorvane
