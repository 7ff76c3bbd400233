// Files of another schema version: an older one is read as it stands by a
// reader and upgraded in place by a writer; a newer one is refused by both.
#include <gtest/gtest.h>

#include "history/history_store.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

std::vector<bool> wholeFlags(HistoryStore& store)
{
    std::vector<bool> flags;
    for (const WalkSummary& walk : store.listWalks().rows)
        flags.push_back(walk.whole);
    return flags;
}

TEST(HistorySchema, AnOlderFileIsReadAsItIsAndUpgradedInPlaceANewerOneRefused)
{
    const struct
    {
        const char* name;
        const char* downgrade; // what makes the file as another version wrote it
        bool readable;
    } cases[] = {
        {"version 3", "ALTER TABLE walks DROP COLUMN whole; PRAGMA user_version = 3", true},
        {"version 5", "PRAGMA user_version = 5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("goods.sqlite");
        {
            HistoryStore store;
            ASSERT_TRUE(store.open(path).status.ok());
            std::int64_t ended = 0;
            std::int64_t died = 0;
            ASSERT_TRUE(store.beginWalk("https://127.0.0.1:1/s?coupon=1", 5, ended).ok());
            ASSERT_TRUE(store.endWalk(ended, 6, "finished").ok());
            ASSERT_TRUE(store.beginWalk("https://127.0.0.1:1/s?coupon=1", 7, died).ok());
            SqlDatabase db;
            ASSERT_TRUE(db.open(path).ok());
            ASSERT_TRUE(db.exec(c.downgrade).ok());
        }
        const std::string bytes = readFileBytes(path);
        HistoryStore reader;
        EXPECT_EQ(reader.openForReading(path).ok(), c.readable);
        if (c.readable) {
            EXPECT_EQ(wholeFlags(reader), (std::vector<bool>{true, false}));
        }
        EXPECT_EQ(readFileBytes(path), bytes);

        HistoryStore writer;
        EXPECT_EQ(writer.open(path).status.ok(), c.readable);
        if (c.readable) {
            EXPECT_EQ(wholeFlags(writer), (std::vector<bool>{true, false}));
            std::int64_t next = 0;
            ASSERT_TRUE(writer.beginWalk("https://127.0.0.1:1/s?coupon=1", 8, next).ok());
            EXPECT_EQ(wholeFlags(writer), (std::vector<bool>{true, false, false}));
        }
    }
}

} // namespace
} // namespace zorvane::test
