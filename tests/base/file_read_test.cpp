#include "base/file_read.h"

#include <memory>

#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

TEST(FileRead, ReadsUpToTheLimitAndRefusesMoreEvenFromAnEndlessFile)
{
    TempDir dir;
    const std::string tenBytes = dir.file("ten");
    writeFileBytes(tenBytes, "0123456789");
    struct Case
    {
        std::string path;
        bool stream; // opened first and read as standard input would be
        std::size_t limit;
        ReadOutcome outcome;
        std::string bytes;
    };
    const Case cases[] = {
        {tenBytes, false, 10, ReadOutcome::Read, "0123456789"},
        {tenBytes, false, 9, ReadOutcome::TooLarge, ""},
        {tenBytes, true, 10, ReadOutcome::Read, "0123456789"},
        {tenBytes, true, 9, ReadOutcome::TooLarge, ""},
        {"/dev/zero", false, 1 << 20, ReadOutcome::TooLarge, ""},
        {"/dev/zero", true, 1 << 20, ReadOutcome::TooLarge, ""},
        {dir.path().string(), false, 1 << 20, ReadOutcome::Unreadable, ""},
        {dir.file("missing"), false, 1 << 20, ReadOutcome::Unreadable, ""},
    };
    for (const Case& c : cases) {
        std::string bytes = "earlier";
        ReadOutcome outcome = ReadOutcome::Unreadable;
        if (c.stream) {
            const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(c.path.c_str(), "rb"));
            ASSERT_TRUE(file) << c.path;
            outcome = readWholeStream(file.get(), bytes, c.limit);
        } else {
            outcome = readWholeFile(c.path, bytes, c.limit);
        }
        EXPECT_EQ(outcome, c.outcome) << c.path << " " << c.limit;
        EXPECT_EQ(bytes, c.bytes) << c.path << " " << c.limit;
    }
}

} // namespace
} // namespace zorvane::test
