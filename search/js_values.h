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
// with escapes, true, false, null, undefined, NaN, Infinity, separated by white
// space and block comments; an empty list gives no values. Anything else gives
// nothing: a line comment, a trailing comma (the shop's pages were written for
// an ES3 engine), an expression.
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

// ToString.
std::string jsToString(const JsValue& value);

// parseInt(text) without a radix: leading white space, a sign, 0x for hex.
double jsParseInt(std::string_view text);
// parseInt(String(value)).
double jsParseIntOfNumber(double value);

// a + b: joins the texts when either side is a string, else adds the numbers.
JsValue jsAdd(const JsValue& a, const JsValue& b);
// a >= b: compares two strings as texts (by UTF-16 code units), anything else as numbers.
bool jsGreaterOrEqual(const JsValue& a, const JsValue& b);

// Math.min of two numbers: NaN wins, and -0 is below 0.
double jsMin(double a, double b);

} // namespace zorvane
