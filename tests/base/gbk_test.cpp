#include "base/gbk.h"

#include <gtest/gtest.h>

using namespace zorvane;

TEST(Gbk, RoundTripAndReplacement)
{
    const std::string name = "名称";
    EXPECT_EQ(utf8ToGbk(name), "\xC3\xFB\xB3\xC6");
    EXPECT_EQ(gbkToUtf8("\xC3\xFB\xB3\xC6"), name);
    // The emoji has no GBK form; the characters around it survive.
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");
    EXPECT_EQ(utf8ToGbk("a\xFF"
                        "b"),
              "a?b");
    EXPECT_EQ(gbkToUtf8(""), "");
}
