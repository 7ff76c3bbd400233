#include "settings/control_values.h"

#include <gtest/gtest.h>

using namespace zorvane;

TEST(EditValue, LineBreaksStayOnOneLine)
{
    EXPECT_EQ(encodeEditText("Referer: a\r\nAccept: b\r\n"), "Referer: a><br><Accept: b><br><");
    EXPECT_EQ(decodeEditText("Referer: a><br><Accept: b><br><"), "Referer: a\r\nAccept: b\r\n");
    // Lone CR and LF are line breaks too: they come back as CR LF, never raw.
    EXPECT_EQ(encodeEditText("a\nb\rc\r\r\nd"), "a><br><b><br><c><br><><br><d");
    EXPECT_EQ(decodeEditText(encodeEditText("a\nb")), "a\r\nb");
    // What the user typed as the marker itself comes back as a line break.
    EXPECT_EQ(decodeEditText(encodeEditText("x><br><y")), "x\r\ny");
    EXPECT_EQ(encodeEditText(""), "");
}

TEST(TickValue, OnlyExactlyFalseClears)
{
    EXPECT_EQ(encodeTicked(true), "真");
    EXPECT_EQ(encodeTicked(false), "假");
    EXPECT_FALSE(decodeTicked("假"));
    EXPECT_TRUE(decodeTicked("真"));
    EXPECT_TRUE(decodeTicked("0"));
    EXPECT_TRUE(decodeTicked("假 "));
}

TEST(ComboValue, EncodesItemsIndexAndEditText)
{
    ComboState combo{{{"一", 10}, {"two", -3}}, 1, "编辑"};
    EXPECT_EQ(encodeCombo(combo), "一<|>10<||>two<|>-3<||>1<|>编辑");
    EXPECT_EQ(decodeCombo(encodeCombo(combo)), combo);
    ComboState empty;
    EXPECT_EQ(encodeCombo(empty), "-1<|>");
    EXPECT_EQ(decodeCombo("-1<|>"), empty);
}

TEST(ComboValue, DecodesByFirstAndLastSeparator)
{
    ComboState c = decodeCombo("a<|>b<|>7.9<||>plain<||><|>-2.5<||>3<|>mid<|>edit");
    ASSERT_EQ(c.items.size(), 3u);
    EXPECT_EQ(c.items[0], (std::pair<std::string, long long>{"a", 7}));
    EXPECT_EQ(c.items[1], (std::pair<std::string, long long>{"", 0})); // no separator at all
    EXPECT_EQ(c.items[2], (std::pair<std::string, long long>{"", -2}));
    EXPECT_EQ(c.currentIndex, 3);
    EXPECT_EQ(c.editText, "edit");
}

TEST(ComboValue, OddValuesDecodeSanely)
{
    // An empty last piece is dropped, so the only item's piece is read as the last one.
    ComboState c = decodeCombo("a<|>1<||>");
    EXPECT_TRUE(c.items.empty());
    EXPECT_EQ(c.currentIndex, 0);
    EXPECT_EQ(c.editText, "1");

    ComboState big = decodeCombo("x<|>1e30<||>99999999999<|>");
    EXPECT_EQ(big.items[0].second, std::numeric_limits<long long>::max());
    EXPECT_EQ(big.currentIndex, std::numeric_limits<int>::max());
    EXPECT_EQ(decodeCombo("x<|>-1e30<||>-99999999999<|>").currentIndex, std::numeric_limits<int>::min());
    EXPECT_EQ(decodeCombo(""), ComboState{});
}

TEST(DateValue, DropsTrailingZeroTimeParts)
{
    EXPECT_EQ(encodeDate({2024, 5, 6, 12, 30, 15}), "2024年5月6日12时30分15秒");
    EXPECT_EQ(encodeDate({2024, 5, 6, 0, 0, 15}), "2024年5月6日0时0分15秒");
    EXPECT_EQ(encodeDate({2024, 5, 6, 12, 30, 0}), "2024年5月6日12时30分");
    EXPECT_EQ(encodeDate({2024, 12, 31, 7, 0, 0}), "2024年12月31日7时");
    EXPECT_EQ(encodeDate({2024, 5, 6, 0, 0, 0}), "2024年5月6日");
}

TEST(DateValue, RoundTripsAndReadsEveryForm)
{
    for (DateTime d : {DateTime{2024, 2, 29, 23, 59, 59}, DateTime{100, 1, 1, 0, 0, 0},
                       DateTime{9999, 12, 31, 0, 1, 0}, DateTime{1999, 7, 4, 5, 0, 0}})
        EXPECT_EQ(decodeDate(encodeDate(d)), d) << encodeDate(d);
    EXPECT_EQ(decodeDate(" 2024年05月06日08时 "), (DateTime{2024, 5, 6, 8, 0, 0}));
}

TEST(DateValue, UnreadableGivesTheEarliestDate)
{
    const DateTime earliest{100, 1, 1, 0, 0, 0};
    for (const char* bad : {"", "garbage", "2023年2月29日", "2024年13月1日", "2024年5月6日25时", "99年1月1日",
                            "2024年5月6日12时30分15秒x", "2024年5月6日12分", "2024年5月"})
        EXPECT_EQ(decodeDate(bad), earliest) << bad;
}

TEST(Exclusion, NameAnywhereInTheList)
{
    EXPECT_TRUE(isExcluded("编辑框_日志", "编辑框_日志"));
    EXPECT_TRUE(isExcluded("日志", "编辑框_日志"));
    EXPECT_FALSE(isExcluded("编辑框_参数_地址", "编辑框_日志"));
    EXPECT_FALSE(isExcluded("编辑框_日志", ""));
    EXPECT_FALSE(isExcluded("", "编辑框_日志"));
    EXPECT_FALSE(isExcluded("LOG", "log"));
}
