#include "services/json_service.h"

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/node_script.h"

namespace zorvane {
namespace {

using Names = std::vector<std::string>;

Names keysOf(const JsonService& json, std::string_view path = {})
{
    Names names{"stale"};
    const int n = json.keys(names, path);
    EXPECT_EQ(n, static_cast<int>(names.size()));
    return names;
}

TEST(JsonServiceParse, NestedMemberIsFoundByPath)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"a":{"b":1}})"));
    EXPECT_TRUE(json.exists("a.b"));
    EXPECT_EQ(json.getValue("a.b"), "1");
    EXPECT_EQ(json.typeOf("a"), kJsonObject);
    EXPECT_EQ(json.typeOf("a.b"), kJsonNumber);
    EXPECT_EQ(json.count("a"), 1);
    EXPECT_EQ(json.getValue("a", true), R"({"b":1})");
}

TEST(JsonServiceParse, AnythingButJsonLeavesANullRoot)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"a":1})"));
    for (const char* text : {"var x = 1", "({a:1})", "{'a':1}", "", "null", R"({"a":1} trailing)"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(json.parse(text));
        EXPECT_FALSE(json.exists("a"));
        EXPECT_EQ(json.typeOf(""), kJsonNull);
        EXPECT_EQ(json.typeOf("a"), kJsonOther);
        EXPECT_EQ(json.toText(), "null");
    }
}

TEST(JsonServiceParse, DeepNestingIsReadWrittenAndCopiedWithoutRecursing)
{
    // Far past what a recursive walk survives on a thread's stack.
    const std::size_t deep = 100000;
    const std::string arrays = std::string(deep, '[') + std::string(deep, ']');
    std::string objects;
    for (std::size_t i = 0; i < deep - 2; ++i)
        objects += R"({"a":)";
    objects += "[1,[2]]" + std::string(deep - 2, '}');
    JsonService json;
    ASSERT_TRUE(json.parse(arrays));
    EXPECT_EQ(json.getValue("", true), arrays);
    EXPECT_EQ(json.getValue(""), "");
    EXPECT_EQ(json.getObject("[0]").toText(), arrays.substr(1, arrays.size() - 2));
    ASSERT_TRUE(json.parse(objects));
    EXPECT_EQ(json.toText(), objects);
    EXPECT_EQ(json.typeOf("a.a.a"), kJsonObject);
    EXPECT_EQ(json.getObject("a").getValue("a", true), objects.substr(10, objects.size() - 12));
    ASSERT_TRUE(json.parse("[[[1,[2,[3]]],4]]"));
    EXPECT_EQ(json.getValue(""), "1,2,3,4");

    EXPECT_FALSE(json.parse("[" + arrays + "]"));
    EXPECT_FALSE(json.parse(std::string(deep, '[')));
    // Brackets inside strings are text, not nesting.
    EXPECT_TRUE(json.parse(R"({"s":")" + std::string(2000, '[') + "\\\"" + R"("})"));
    EXPECT_EQ(json.getValue("s").size(), 2001u);
}

TEST(JsonServiceParse, MembersBesideDeepValuesAreKeptWithoutCopyingThem)
{
    // Objects that grow while holding a deep value, on every path that grows one.
    const std::size_t deep = 99000;
    const std::string arrays = std::string(deep, '[') + std::string(deep, ']');
    std::string siblings;
    for (std::size_t i = 0; i < deep; ++i)
        siblings += R"({"a":)";
    siblings += "1";
    for (std::size_t i = 0; i < deep; ++i)
        siblings += R"(,"b":1})";
    const struct
    {
        std::string text;
        const char* member; // set beside the document's members afterwards
        std::string path;   // a member inside that is read back
    } cases[] = {
        {R"({"x":)" + arrays + R"(,"success":1})", "more", "success"},
        {siblings, "c", "a.a.a.b"},
        {R"({"x":)" + arrays + "}", "success", "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 12));
        JsonService json;
        ASSERT_TRUE(json.parse(c.text));
        EXPECT_TRUE(json.exists(c.path));
        EXPECT_EQ(json.toText(), c.text);
        JsonService copy = json.getObject("");
        json.setText(c.member, "1");
        json.setItem(7, "seven");
        EXPECT_EQ(json.count(), copy.count() + 2);
        EXPECT_EQ(copy.toText(), c.text);
    }
}

TEST(JsonServiceParse, RepeatedMembersKeepTheirFirstPlaceAndLastValue)
{
    // Wide objects as well as small ones.
    for (const int width : {3, 5000}) {
        SCOPED_TRACE(width);
        std::string text = "{";
        for (int i = 0; i < width; ++i)
            text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
        text += R"("k1":"again","k0":{"z":1,"z":2}})";
        JsonService json;
        ASSERT_TRUE(json.parse(text));
        EXPECT_EQ(json.count(), width);
        EXPECT_EQ(keysOf(json)[1], "k1");
        EXPECT_EQ(json.getValue("k1"), "again");
        EXPECT_EQ(json.getJson("k0"), R"({"z":2})");
        EXPECT_EQ(json.getValue("k" + std::to_string(width - 1)), std::to_string(width - 1));
    }
}

TEST(JsonServiceParse, ValuesAScriptEngineReads)
{
    struct Case
    {
        std::string text;
        std::string value; // of member v
        std::string asJson;
    };
    const Case cases[] = {
        {R"({"v":1e400})", "inf", "null"},
        {R"({"v":-1E+400})", "-inf", "null"},
        {R"({"v":5e-324})", "4.940656458412e-324", "5e-324"},
        {R"({"v":"a\ud800b"})", "a\uFFFDb", "\"a\uFFFDb\""},
        {R"({"v":"\udc00\ud800\u0041"})", "\uFFFD\uFFFDA", "\"\uFFFD\uFFFDA\""},
        {R"({"v":"\ud83d\ude00"})", "\U0001F600", "\"\U0001F600\""},
        {R"({"v":1,"w":2,"v":3})", "3", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        JsonService json;
        ASSERT_TRUE(json.parse(c.text));
        EXPECT_EQ(json.getValue("v"), c.value);
        EXPECT_EQ(json.getValue("v", true), c.asJson);
    }
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"v":1e400})"));
    EXPECT_EQ(json.typeOf("v"), kJsonNumber);
    EXPECT_TRUE(std::isinf(json.getNumber("v")));
    for (const char* text :
         {"[1,]", "{,}", "01", "-", "1.", "1e", "\"\\x\"", "\"\\u12\"", "[\"\t\"]", "\"\xC3\""}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(json.parse(text));
    }
}

TEST(JsonServiceParse, UnicodeEscapesBecomeUtf8AndBackOnRequest)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"t":"\u4eac\u4e1c","e":"\ud83d\ude00","n":"é"})"));
    EXPECT_EQ(json.getValue("t"), "京东");
    EXPECT_EQ(json.getValue("e"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(json.toText(), R"({"t":"京东","e":"😀","n":"é"})");
    EXPECT_EQ(json.toText(false), R"({"t":"\u4eac\u4e1c","e":"\ud83d\ude00","n":"\u00e9"})");
}

TEST(JsonServiceRead, NumbersComeBackAsThirteenDigitText)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"half":2.50,"big":1e20,"int":3,"tenth":0.1,"neg":-0.5,
                               "long":1234567890123456789,"version":"0.1.1"})"));
    EXPECT_EQ(json.getValue("half"), "2.5");
    EXPECT_EQ(json.getValue("big"), "1e+20");
    EXPECT_EQ(json.getValue("int"), "3");
    EXPECT_EQ(json.getValue("tenth"), "0.1");
    EXPECT_EQ(json.getValue("neg"), "-0.5");
    EXPECT_EQ(json.getValue("long"), "1.234567890123e+18");
    EXPECT_EQ(json.getValue("version"), "0.1.1");
    EXPECT_DOUBLE_EQ(json.getNumber("half"), 2.5);
}

TEST(JsonServiceRead, MissingNullAndOtherKinds)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"n":null,"t":true,"f":false,"o":{},"l":[1,"a",null,[2,3]],"s":"12.5kg"})"));
    EXPECT_EQ(json.getValue("missing"), "");
    EXPECT_FALSE(json.exists("missing"));
    EXPECT_EQ(json.typeOf("missing"), kJsonNull);
    EXPECT_EQ(json.typeOf("missing.deeper"), kJsonOther);
    EXPECT_EQ(json.typeOf("s.deeper"), kJsonNull);
    EXPECT_FALSE(json.exists("n"));
    EXPECT_EQ(json.typeOf("n"), kJsonNull);
    EXPECT_EQ(json.getValue("n"), "");
    EXPECT_EQ(json.getValue("n", true), "null");
    EXPECT_EQ(json.getValue("missing", true), "");
    EXPECT_EQ(json.getValue("t"), "true");
    EXPECT_EQ(json.getValue("f"), "false");
    EXPECT_EQ(json.typeOf("t"), kJsonOther);
    EXPECT_EQ(json.getValue("o"), "[object Object]");
    EXPECT_EQ(json.getValue("l"), "1,a,,2,3");
    EXPECT_EQ(json.typeOf("l"), kJsonArray);
    EXPECT_EQ(json.typeOf("s"), kJsonString);
    EXPECT_DOUBLE_EQ(json.getNumber("s"), 12.5);
    EXPECT_DOUBLE_EQ(json.getNumber("t"), 1);
    EXPECT_DOUBLE_EQ(json.getNumber("o"), 0);
    EXPECT_EQ(json.count("l"), 4);
    EXPECT_EQ(json.count("s"), 0);
    EXPECT_EQ(json.count(""), 6);
}

TEST(JsonServiceRead, KeysInDocumentOrder)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"y":1,"x":{"toJSONString":0},"e":{},"a":[5,6,7]})"));
    EXPECT_EQ(keysOf(json), (Names{"y", "x", "e", "a"}));
    EXPECT_EQ(keysOf(json, "x"), (Names{"toJSONString"}));
    EXPECT_EQ(keysOf(json, "e"), Names{});
    EXPECT_EQ(keysOf(json, "a"), (Names{"0", "1", "2"}));
    EXPECT_EQ(keysOf(json, "y"), Names{});
    EXPECT_EQ(keysOf(json, "missing"), Names{});
}

TEST(JsonServiceRead, PathsWithIndexesQuotesAndExactNames)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"list":[{"name":"n0"},{"name":"n1"}],"a":{"x y":"q","0":"zero"},
                               "some caption":"c","a.b":"dotted","m":{"b":"member"}})"));
    EXPECT_EQ(json.getValue("list[1].name"), "n1");
    EXPECT_EQ(json.getValue("list[2].name"), "");
    EXPECT_EQ(json.typeOf("list[2].name"), kJsonOther);
    EXPECT_EQ(json.getValue("a['x y']"), "q");
    EXPECT_EQ(json.getValue("a[\"x y\"]"), "q");
    EXPECT_EQ(json.getValue("a[0]"), "zero");
    EXPECT_EQ(json.getValue("some caption"), "c");
    EXPECT_EQ(json.getValue("a.b"), "dotted");
    EXPECT_EQ(json.getValue("m.b"), "member");
    for (const char* bad : {"a..b", ".a", "a.", "list[x]", "list[1", "a]", "list.[0]"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(json.typeOf(bad), kJsonOther);
        EXPECT_FALSE(json.exists(bad));
    }
    JsonService list;
    ASSERT_TRUE(list.parse(R"([{"id":7},"b"])"));
    EXPECT_EQ(list.getValue("[0].id"), "7");
    EXPECT_EQ(list.getValue("[1]"), "b");
    EXPECT_EQ(list.getItem(1), "b");
    EXPECT_EQ(list.getItem(0, "", true), R"({"id":7})");
    EXPECT_EQ(list.getItem(-1), "");
    EXPECT_EQ(list.getItemObject(0).getValue("id"), "7");
    EXPECT_EQ(list.getItemObject(5).typeOf(""), kJsonNull);
}

TEST(JsonServiceRead, StartUpAnswerAndItsMenu)
{
    JsonService answer;
    ASSERT_TRUE(
        answer.parse(R"({"success":1,"menu":{"top":{"A":"u1","B":"u2"},"second":{"More":{"C":"u3"}}}})"));
    EXPECT_TRUE(answer.exists("success"));
    EXPECT_EQ(answer.getValue("success"), "1");

    JsonService menu;
    ASSERT_TRUE(menu.parse(answer.getValue("menu", true)));
    EXPECT_EQ(keysOf(menu), (Names{"top", "second"}));
    JsonService top;
    ASSERT_TRUE(top.parse(menu.getValue("top", true)));
    EXPECT_EQ(keysOf(top), (Names{"A", "B"}));
    EXPECT_EQ(top.getValue("B"), "u2");
    JsonService second;
    ASSERT_TRUE(second.parse(menu.getValue("second", true)));
    ASSERT_EQ(keysOf(second), Names{"More"});
    JsonService more;
    ASSERT_TRUE(more.parse(second.getValue("More", true)));
    EXPECT_EQ(more.getValue("C"), "u3");

    JsonService odd;
    ASSERT_TRUE(odd.parse(R"({"success":"1","top":{"A B":"u1","v1.2":"u2"}})"));
    EXPECT_EQ(odd.typeOf("success"), kJsonString);
    EXPECT_EQ(odd.getValue("success"), "1");
    ASSERT_TRUE(top.parse(odd.getValue("top", true)));
    for (const std::string& caption : keysOf(top))
        EXPECT_FALSE(top.getValue(caption).empty()) << caption;
}

TEST(JsonServiceWrite, SetOperations)
{
    JsonService json;
    json.setText("a", "it's \"q\"\n");
    EXPECT_EQ(json.getValue("a"), "it's \"q\"\n");
    json.setText("b", R"({"x":[1]})", true);
    EXPECT_EQ(json.getValue("b.x[0]"), "1");
    json.setText("c", "", true);
    EXPECT_EQ(json.typeOf("c"), kJsonObject);
    json.setJson("b.y", "2.50");
    EXPECT_EQ(json.getValue("b.y"), "2.5");
    json.setNumber("n", 0.1 + 0.2);
    EXPECT_EQ(json.getJson("n"), "0.3");
    json.setNumber("i", 3);
    EXPECT_EQ(json.getJson("i"), "3");

    const std::string before = json.toText();
    json.setText("d", "{bad", true);
    json.setJson("d", "");
    json.setNumber("d", std::nan(""));
    json.setText("missing.d", "x");
    json.setText("", "x");
    json.setText("a.d", "x"); // a member of a string
    EXPECT_EQ(json.toText(), before);
    EXPECT_EQ(keysOf(json), (Names{"a", "b", "c", "n", "i"}));
}

TEST(JsonServiceWrite, NumbersAreWrittenAsAScriptWritesThem)
{
    if (!test::nodeAvailable())
        GTEST_SKIP() << "node is not installed";
    std::vector<std::string> numbers = {"3.0",
                                        "100.0",
                                        "-0",
                                        "0.0",
                                        "1e21",
                                        "1e20",
                                        "1e-7",
                                        "1e-6",
                                        "-1.5e-7",
                                        "2.50",
                                        "5e-324",
                                        "1.7976931348623157e308",
                                        "9007199254740993",
                                        "12345678901234567890",
                                        "-9223372036854775808",
                                        "1e400"};
    // Digits around the points where the writing changes form.
    std::mt19937 random(27);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int i = 0; i < 400; ++i) {
        std::string number = below(4) == 0 ? "-" : "";
        number += std::to_string(1 + below(9));
        for (int n = below(18); n > 0; --n)
            number += static_cast<char>('0' + below(10));
        if (below(2) == 0)
            number += "." + std::to_string(below(1000));
        number += "e" + std::to_string(below(60) - 30);
        numbers.push_back(number);
    }
    const std::optional<std::string> answer = test::runNodeScript(
        "const numbers = JSON.parse(require('fs').readFileSync(0, 'utf8'));"
        "process.stdout.write(JSON.stringify(numbers.map(n => JSON.stringify(JSON.parse(n)))));",
        nlohmann::json(numbers).dump());
    ASSERT_TRUE(answer);
    const nlohmann::json expected = nlohmann::json::parse(*answer);
    ASSERT_EQ(expected.size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        JsonService json;
        ASSERT_TRUE(json.parse("[" + numbers[i] + "]"));
        EXPECT_EQ(json.toText(), "[" + expected[i].get<std::string>() + "]") << numbers[i];
    }
}

TEST(JsonServiceWrite, ArrayOperations)
{
    JsonService json;
    json.push("list", "a");
    json.push("list", R"({"k":1})", true);
    json.push("list", "{bad", true);
    EXPECT_EQ(json.getJson("list"), R"(["a",{"k":1}])");
    json.setText("s", "x");
    json.push("s", "1", true);
    EXPECT_EQ(json.getJson("s"), "[1]");
    json.push("", "r");
    EXPECT_EQ(json.getJson(""), R"(["r"])");

    json.reset(5);
    json.setItem(0, "a");
    json.setItem(1, "2", true);
    json.setItem(5, "far");
    EXPECT_EQ(json.toText(), R"(["a",2])");
    json.setItem(0, "b");
    json.push("", "c");
    json.removeItem(-1);
    json.removeItem(7);
    EXPECT_EQ(json.toText(), R"(["b",2])");
    json.deleteMember("[0]");
    EXPECT_EQ(json.toText(), R"([null,2])");
    json.removeItem(0);
    EXPECT_EQ(json.toText(), "[2]");

    json.reset(4);
    json.setItem(3, "three");
    EXPECT_EQ(json.getValue("3"), "three");
    json.deleteMember("3");
    EXPECT_EQ(json.count(""), 0);
}

TEST(JsonServiceWrite, RootOperations)
{
    JsonService json;
    json.setRoot("plain");
    EXPECT_EQ(json.typeOf(""), kJsonString);
    EXPECT_EQ(json.getValue(""), "plain");
    json.setRoot("[1,2]", true);
    EXPECT_EQ(json.count(""), 2);
    json.setRoot("[1,", true);
    EXPECT_EQ(json.count(""), 2);
    json.reset(3);
    EXPECT_EQ(json.typeOf(""), kJsonArray);
    json.reset(0);
    EXPECT_EQ(json.typeOf(""), kJsonObject);
    json.setText("a", "1");
    json.clear();
    EXPECT_EQ(json.toText(), "{}");
    // Text that is not UTF-8 is written with replacement characters, not thrown over.
    json.setText("bad", "\xFF");
    EXPECT_EQ(json.toText(), "{\"bad\":\"\xEF\xBF\xBD\"}");
}

TEST(JsonServiceLifecycle, CopiesShareTheDocumentUntilParse)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"a":1})"));
    JsonService copy = json.copy();
    copy.setText("b", "2");
    EXPECT_EQ(json.getValue("b"), "2");

    JsonService detached = json.getObject("");
    detached.setText("c", "3");
    EXPECT_FALSE(json.exists("c"));
    EXPECT_EQ(json.getObject("missing").typeOf(""), kJsonNull);

    ASSERT_TRUE(json.parse(R"({"z":0})"));
    EXPECT_EQ(copy.getValue("b"), "2");
    EXPECT_FALSE(json.exists("b"));
}

TEST(JsonServiceLifecycle, DestroyEmptiesUntilInit)
{
    JsonService json;
    ASSERT_TRUE(json.parse(R"({"a":[1]})"));
    json.destroy();
    EXPECT_EQ(json.getValue("a"), "");
    EXPECT_EQ(json.count("a"), 0);
    EXPECT_EQ(json.typeOf(""), kJsonOther);
    EXPECT_EQ(json.toText(), "");
    EXPECT_FALSE(json.parse(R"({"a":1})"));
    json.push("a", "x");
    EXPECT_EQ(json.toText(), "");
    json.init();
    EXPECT_EQ(json.toText(), "{}");
    EXPECT_TRUE(json.parse(R"({"a":1})"));
}

TEST(JsonServiceEscape, MakesTextSafeInsideSingleQuotes)
{
    EXPECT_EQ(JsonService::escape("it's\n"), "it\\'s\\n");
    EXPECT_EQ(JsonService::escape("\\\"\b\t\v\f\r"), "\\\\\\\"\\b\\t\\v\\f\\r");
    EXPECT_EQ(JsonService::escape("京东"), "京东");
}

} // namespace
} // namespace zorvane
