#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The few JavaScript value rules the shop's paging arithmetic depends on. The
// page's own values are read as literals and never evaluated as code.
namespace zorvane {

struct JsValue
{
    enum class Type
    {
        Undefined,
        Null,
        Boolean,
        Number,
        String
    };

    Type type = Type::Undefined;
    bool boolean = false;
    double number = 0;
    std::string text; // UTF-8

    static JsValue undefined() { return {}; }
    static JsValue null() { return withType(Type::Null); }
    static JsValue fromBool(bool value)
    {
        JsValue v = withType(Type::Boolean);
        v.boolean = value;
        return v;
    }
    static JsValue fromNumber(double value)
    {
        JsValue v = withType(Type::Number);
        v.number = value;
        return v;
    }
    static JsValue fromString(std::string value)
    {
        JsValue v = withType(Type::String);
        v.text = std::move(value);
        return v;
    }

private:
    static JsValue withType(Type type)
    {
        JsValue v;
        v.type = type;
        return v;
    }
};

// Reads a call's argument list ("1, 'a', true") as JavaScript literals: numbers
// (optionally signed; decimal, exponent, 0x/0o/0b, legacy octal), quoted strings
// with escapes, true, false, null, undefined, NaN, Infinity; one trailing comma
// is allowed, an empty list gives no values. Anything else gives nothing.
std::optional<std::vector<JsValue>> parseJsArguments(std::string_view text);

// Decodes the escapes of a string literal's body as JavaScript reads them
// (\x26 and \u0026 give "&", \' gives "'", and so on). A malformed escape is
// kept as it stands.
std::string decodeJsEscapes(std::string_view body);

// ToNumber, ToBoolean and Number::toString.
double jsToNumber(const JsValue& value);
double jsStringToNumber(std::string_view text);
bool jsToBoolean(const JsValue& value);
std::string jsNumberToString(double value);

// parseInt(String(value)).
double jsParseIntOfNumber(double value);

// Math.min of two numbers: NaN wins, and -0 is below 0.
double jsMin(double a, double b);

} // namespace zorvane
