#include "search/js_values.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace zorvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(JsNumberToString, WritesNumbersTheWayJavaScriptDoes)
{
    EXPECT_EQ(jsNumberToString(0), "0");
    EXPECT_EQ(jsNumberToString(-0.0), "0");
    EXPECT_EQ(jsNumberToString(86), "86");
    EXPECT_EQ(jsNumberToString(-30), "-30");
    EXPECT_EQ(jsNumberToString(0.5), "0.5");
    EXPECT_EQ(jsNumberToString(123.456), "123.456");
    EXPECT_EQ(jsNumberToString(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(jsNumberToString(9007199254740992.0), "9007199254740992");
    EXPECT_EQ(jsNumberToString(123456789012345680000.0), "123456789012345680000");
    EXPECT_EQ(jsNumberToString(1e21), "1e+21");
    EXPECT_EQ(jsNumberToString(-1.5e22), "-1.5e+22");
    EXPECT_EQ(jsNumberToString(0.000001), "0.000001");
    EXPECT_EQ(jsNumberToString(0.0000015), "0.0000015");
    EXPECT_EQ(jsNumberToString(1e-7), "1e-7");
    EXPECT_EQ(jsNumberToString(1.5e-7), "1.5e-7");
    EXPECT_EQ(jsNumberToString(1.7976931348623157e308), "1.7976931348623157e+308");
    EXPECT_EQ(jsNumberToString(5e-324), "5e-324");
    EXPECT_EQ(jsNumberToString(kNaN), "NaN");
    EXPECT_EQ(jsNumberToString(kInf), "Infinity");
    EXPECT_EQ(jsNumberToString(-kInf), "-Infinity");
}

TEST(JsStringToNumber, FollowsToNumberForStrings)
{
    EXPECT_EQ(jsStringToNumber(""), 0);
    EXPECT_EQ(jsStringToNumber(" \t\n"), 0);
    EXPECT_EQ(jsStringToNumber(" 12 "), 12);
    EXPECT_EQ(jsStringToNumber("\xE3\x80\x80"
                               "7\xC2\xA0"),
              7); // U+3000 and NBSP are white space
    EXPECT_EQ(jsStringToNumber("0x1A"), 26);
    EXPECT_EQ(jsStringToNumber("0X1a"), 26);
    EXPECT_EQ(jsStringToNumber("0b101"), 5);
    EXPECT_EQ(jsStringToNumber("0o17"), 15);
    EXPECT_EQ(jsStringToNumber("010"), 10); // no legacy octal in strings
    EXPECT_EQ(jsStringToNumber("+5"), 5);
    EXPECT_EQ(jsStringToNumber("-2.5e1"), -25);
    EXPECT_EQ(jsStringToNumber(".5"), 0.5);
    EXPECT_EQ(jsStringToNumber("5."), 5);
    EXPECT_EQ(jsStringToNumber("Infinity"), kInf);
    EXPECT_EQ(jsStringToNumber("-Infinity"), -kInf);
    EXPECT_EQ(jsStringToNumber("1e999"), kInf);
    EXPECT_EQ(jsStringToNumber("1e-999"), 0);
    for (const char* text : {"12万+", "12 3", "-0x10", "0x", "0xg", "1e", "1_000", "infinity", "- 5", ".",
                             "+", "5a", "true", "1.2.3"})
        EXPECT_TRUE(std::isnan(jsStringToNumber(text))) << text;
}

TEST(JsValueRules, ToNumberAndToBooleanPerType)
{
    EXPECT_TRUE(std::isnan(jsToNumber(JsValue::undefined())));
    EXPECT_EQ(jsToNumber(JsValue::null()), 0);
    EXPECT_EQ(jsToNumber(JsValue::fromBool(true)), 1);
    EXPECT_EQ(jsToNumber(JsValue::fromBool(false)), 0);
    EXPECT_EQ(jsToNumber(JsValue::fromString("0x1A")), 26);

    EXPECT_TRUE(jsToBoolean(JsValue::fromString("0")));
    EXPECT_TRUE(jsToBoolean(JsValue::fromString("false")));
    EXPECT_TRUE(jsToBoolean(JsValue::fromNumber(-2)));
    EXPECT_TRUE(jsToBoolean(JsValue::fromBool(true)));
    EXPECT_FALSE(jsToBoolean(JsValue::fromString("")));
    EXPECT_FALSE(jsToBoolean(JsValue::fromNumber(0)));
    EXPECT_FALSE(jsToBoolean(JsValue::fromNumber(-0.0)));
    EXPECT_FALSE(jsToBoolean(JsValue::fromNumber(kNaN)));
    EXPECT_FALSE(jsToBoolean(JsValue::null()));
    EXPECT_FALSE(jsToBoolean(JsValue::undefined()));
}

TEST(JsValueRules, ParseIntOfNumberReadsTheWrittenForm)
{
    EXPECT_EQ(jsParseIntOfNumber(3), 3);
    EXPECT_EQ(jsParseIntOfNumber(2.9), 2);
    EXPECT_EQ(jsParseIntOfNumber(-2.9), -2);
    EXPECT_EQ(jsParseIntOfNumber(1e21), 1);   // "1e+21"
    EXPECT_EQ(jsParseIntOfNumber(2.5e-7), 2); // "2.5e-7"
    EXPECT_EQ(jsParseIntOfNumber(123456789e12), 123456789e12);
    EXPECT_TRUE(std::isnan(jsParseIntOfNumber(kNaN)));
    EXPECT_TRUE(std::isnan(jsParseIntOfNumber(kInf)));
    EXPECT_TRUE(std::signbit(jsParseIntOfNumber(-0.5))); // "-0.5" reads as -0
}

TEST(JsValueRules, MinPassesNaNAndOrdersSignedZero)
{
    EXPECT_EQ(jsMin(3, 8), 3);
    EXPECT_EQ(jsMin(8, 3), 3);
    EXPECT_TRUE(std::isnan(jsMin(kNaN, 1)));
    EXPECT_TRUE(std::isnan(jsMin(1, kNaN)));
    EXPECT_TRUE(std::signbit(jsMin(0.0, -0.0)));
    EXPECT_TRUE(std::signbit(jsMin(-0.0, 0.0)));
}

std::vector<JsValue> parsed(std::string_view text)
{
    auto values = parseJsArguments(text);
    EXPECT_TRUE(values.has_value()) << text;
    return values.value_or(std::vector<JsValue>{});
}

TEST(ParseJsArguments, ReadsTheListsRealPagesWrite)
{
    std::vector<JsValue> early = parsed(R"(1,100,41811,"",0)");
    ASSERT_EQ(early.size(), 5u);
    EXPECT_EQ(early[2].type, JsValue::Type::Number);
    EXPECT_EQ(early[2].number, 41811);
    EXPECT_EQ(early[3].type, JsValue::Type::String);
    EXPECT_EQ(early[3].text, "");

    std::vector<JsValue> late = parsed(R"(1, 200, '69万+ ',"",1, 0, 0,0, 5, 0 ,1)");
    ASSERT_EQ(late.size(), 11u);
    EXPECT_EQ(late[2].text, "69万+ ");
    EXPECT_EQ(late[8].number, 5);
    EXPECT_EQ(late[10].number, 1);
}

TEST(ParseJsArguments, ReadsEveryKindOfLiteral)
{
    std::vector<JsValue> v =
        parsed("true,false,null,undefined,NaN,Infinity,-Infinity,-5,+ 5,0x1A,010,08,09.5,.5e1,"
               "1E+2,0b11,0o17,5.");
    ASSERT_EQ(v.size(), 18u);
    EXPECT_EQ(v[0].type, JsValue::Type::Boolean);
    EXPECT_TRUE(v[0].boolean);
    EXPECT_FALSE(v[1].boolean);
    EXPECT_EQ(v[2].type, JsValue::Type::Null);
    EXPECT_EQ(v[3].type, JsValue::Type::Undefined);
    EXPECT_TRUE(std::isnan(v[4].number));
    EXPECT_EQ(v[5].number, kInf);
    EXPECT_EQ(v[6].number, -kInf);
    const double numbers[] = {-5, 5, 26, 8, 8, 9.5, 5, 100, 3, 15, 5};
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        EXPECT_EQ(v[7 + i].type, JsValue::Type::Number) << i;
        EXPECT_EQ(v[7 + i].number, numbers[i]) << i;
    }
}

TEST(ParseJsArguments, EmptyListsAndTrailingComma)
{
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed(" \t ").empty());
    // Block comments are white space, wherever white space may stand.
    for (const char* text : {"1,5,/*c*/0", "/**/1,5,0/* */", "1 /*a\nb*/ , + /**/ 5,0"})
        EXPECT_EQ(parsed(text).size(), 3u) << text;
    EXPECT_EQ(parsed("\t1\r\n ,\xE3\x80\x80"
                     "2")
                  .size(),
              2u);
}

TEST(ParseJsArguments, RefusesWhatIsNotALiteralList)
{
    for (const char* text :
         {"1,,2",   ",",        ",1",     "1,2,,",  "1 2",     "'a' 'b'",       "a+1",    "1+2",    "foo()",
          "window", "alert(1)", "'open",  "1a",     "0x",      "0xg",           "1e",     "010.5",  "1.2.3",
          "--1",    "-'5'",     "-true",  "1n",     "1,2,",    "1,2,/**/",      "1 // c", "1 /* c", "//",
          "[1]",    "{}",       "'a\nb'", "'\\x2'", "'\\u12'", "'\\u{110000}'", "`t`",    "true1",  "truex"})
        EXPECT_FALSE(parseJsArguments(text).has_value()) << text;
}

TEST(ParseJsArguments, DecodesStringEscapes)
{
    std::vector<JsValue> v =
        parsed(R"('a\'b',"\x26\u0026\u{26}",'\n','\101','\q','\uD83D\uDE00','\uD83D','中文',"\0")");
    ASSERT_EQ(v.size(), 9u);
    EXPECT_EQ(v[0].text, "a'b");
    EXPECT_EQ(v[1].text, "&&&");
    EXPECT_EQ(v[2].text, "\n");
    EXPECT_EQ(v[3].text, "A");
    EXPECT_EQ(v[4].text, "q");
    EXPECT_EQ(v[5].text, "\xF0\x9F\x98\x80");
    EXPECT_EQ(v[6].text, "\xEF\xBF\xBD");
    EXPECT_EQ(v[7].text, "中文");
    EXPECT_EQ(v[8].text, std::string(1, '\0'));
}

TEST(DecodeJsEscapes, DecodesTheBaseQueryAndKeepsOtherText)
{
    EXPECT_EQ(decodeJsEscapes(R"(keyword=%E9%BB%91\x26pvid=e5)"), "keyword=%E9%BB%91&pvid=e5");
    EXPECT_EQ(decodeJsEscapes(R"(a\u0026b\u4e2d)"), "a&b中");
    EXPECT_EQ(decodeJsEscapes(R"(a\\b\'c\"d\/e)"), R"(a\b'c"d/e)");
    EXPECT_EQ(decodeJsEscapes("keyword=x&amp;enc=utf-8"), "keyword=x&amp;enc=utf-8");
    EXPECT_EQ(decodeJsEscapes(R"(bad\x2zend)"), R"(bad\x2zend)");
    EXPECT_EQ(decodeJsEscapes(R"(tail\)"), R"(tail\)");
    EXPECT_EQ(decodeJsEscapes("plain"), "plain");
}

} // namespace
} // namespace zorvane
