// zorvane-cli basket over a tsv file, standard input and a coupon's last
// recorded walk, run as a child process.
#include <filesystem>

#include <gtest/gtest.h>

#include "history/history_store.h"
#include "tests/cli/cli_process.h"

namespace zorvane::test {
namespace {

const std::string kGoods = "1001\t壳\t12.5\t满减\n"
                           "1002\t线\t99.9\t\n"
                           "1003\t灯\t200\t\n"
                           "1004\t无报价\t0\t\n"
                           "1005\t伞\t187.5\t\n";

// 满299减50, two baskets: 灯+线 (299.90, 2 pieces, beating 伞+线+壳) and
// 灯+线+壳 (312.40); the shares by price, the rest on the dearest.
const std::string kTwoBaskets = "1\t299.90\t249.90\t1003\t灯\t200.00\t1\t33.34\n"
                                "1\t299.90\t249.90\t1002\t线\t99.90\t1\t16.66\n"
                                "2\t312.40\t262.40\t1003\t灯\t200.00\t1\t32.01\n"
                                "2\t312.40\t262.40\t1002\t线\t99.90\t1\t15.99\n"
                                "2\t312.40\t262.40\t1001\t壳\t12.50\t1\t2.00\n";

// A history file with two walks of the coupon: the last one has kGoods' prices.
void recordWalks(const std::string& db, const std::string& address)
{
    HistoryStore store;
    ASSERT_TRUE(store.open(db).status.ok());
    for (double dearer : {100.0, 0.0}) {
        std::int64_t walk = 0;
        ASSERT_TRUE(store.beginWalk(address, 1, walk).ok());
        const Sighting goods[] = {{1, 1, "1001", "壳", 12.5 + dearer, "", {}},
                                  {1, 2, "1002", "线", 99.9, "", {}},
                                  {1, 3, "1003", "灯", 200.0 + dearer, "", {}},
                                  {1, 4, "1004", "无报价", 0, "", {}},
                                  {1, 5, "1005", "伞", 187.5 + dearer, "", {}}};
        for (const Sighting& s : goods)
            ASSERT_TRUE(store.addSighting(walk, s).ok());
        ASSERT_TRUE(store.endWalk(walk, 2, "finished").ok());
    }
}

TEST(CliBasket, ReadsFileStandardInputOrCouponAndTellsWhenNothingReaches)
{
    TempDir dir;
    const std::string file = dir.file("goods.tsv");
    writeFileBytes(file, kGoods);
    const std::string bom = dir.file("bom.tsv");
    // Two files joined with cat, each with its byte-order mark.
    const std::size_t firstLine = kGoods.find('\n') + 1;
    writeFileBytes(bom,
                   "\xEF\xBB\xBF" + kGoods.substr(0, firstLine) + "\xEF\xBB\xBF" + kGoods.substr(firstLine));
    // Sparse: larger than any goods list without taking the disk.
    const std::string huge = dir.file("huge.tsv");
    writeFileBytes(huge, kGoods);
    std::filesystem::resize_file(huge, (std::uintmax_t{1} << 30) + 1);
    // A hundred thousand goods at 0.01 yuan, up to 9999 pieces each.
    const std::string cents = dir.file("cents.tsv");
    std::string centLines;
    for (int i = 0; i < 100'000; ++i)
        centLines += std::to_string(i) + "\tgoods\t0.01\n";
    writeFileBytes(cents, centLines);
    const std::string db = dir.file("goods.sqlite");
    const std::string address = "https://127.0.0.1:1/coupon?couponbatch=7&page=3";
    recordWalks(db, address);
    const std::vector<std::string> terms = {"basket", "--threshold", "299", "--discount=50", "--top", "2"};
    const auto with = [&terms](std::vector<std::string> more) {
        std::vector<std::string> args = terms;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    struct Case
    {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
        bool errorLine;
        std::string errorHas = ""; // what the error line names
    };
    const Case cases[] = {
        {with({file}), "/dev/null", 0, kTwoBaskets, false},
        {with({"-"}), file, 0, kTwoBaskets, false},
        {with({"--coupon", "https://127.0.0.1:1/coupon?couponbatch=7", "--db", db}), "/dev/null", 0,
         kTwoBaskets, false},
        {{"basket", "--threshold", "299", "--discount", "50", "--top", "1", "--format", "json", file},
         "/dev/null",
         0,
         R"({"rank":1,"total":299.9,"pay":249.9,"over":0.9,"items":[{"goodsId":"1003","name":"灯","price":200.0,)"
         R"("qty":1,"share":33.34},{"goodsId":"1002","name":"线","price":99.9,"qty":1,"share":16.66}]})"
         "\n",
         false},
        {{"basket", "--threshold", "100", "--discount", "5", "--max-each", "3", "--max-items", "3",
          "--exclude", "1002", "--must", "1001", "--top", "1", file},
         "/dev/null",
         0,
         "1\t200.00\t195.00\t1005\t伞\t187.50\t1\t4.69\n1\t200.00\t195.00\t1001\t壳\t12.50\t1\t0.31\n",
         false},
        {with({"--threshold", "700", file}), "/dev/null", 4, "", true},
        {with({"--max-items", "1", file}), "/dev/null", 4, "", true},
        {{"basket", "--discount", "50", file}, "/dev/null", 2, "", true},
        {{"basket", "--threshold", "299", file}, "/dev/null", 2, "", true},
        {with({"--discount", "0", file}), "/dev/null", 2, "", true},
        {with({"--threshold", "-5", file}), "/dev/null", 2, "", true},
        {with({"--threshold", "1.005", file}), "/dev/null", 2, "", true},
        {with({"--must", "1004", file}), "/dev/null", 2, "", true},
        {with({"--coupon", address, file}), "/dev/null", 2, "", true},
        {with({dir.file("missing.tsv")}), "/dev/null", 1, "", true},
        {with({"--must", "1001", bom}), "/dev/null", 0,
         "1\t299.90\t249.90\t1005\t伞\t187.50\t1\t31.26\n1\t299.90\t249.90\t1002\t线\t99.90\t1\t16.66\n"
         "1\t299.90\t249.90\t1001\t壳\t12.50\t1\t2.08\n2\t312.40\t262.40\t1003\t灯\t200.00\t1\t32.01\n"
         "2\t312.40\t262.40\t1002\t线\t99.90\t1\t15.99\n2\t312.40\t262.40\t1001\t壳\t12.50\t1\t2.00\n",
         false},
        {with({"--discount", "299", file}), "/dev/null", 2, "", true, "--discount"},
        {with({"--must", "1001", "--must", "1003", "--max-items", "1", file}), "/dev/null", 2, "", true,
         "--max-items 1"},
        {with({"--threshold", "20000000", file}), "/dev/null", 2, "", true, "10000000.00"},
        {with({"--max-each", "10000", file}), "/dev/null", 2, "", true, "9999"},
        {with({huge}), "/dev/null", 1, "", true, "1 GiB"},
        {with({"--max-each", "9999", "--threshold", "9000000", cents}), "/dev/null", 2, "", true,
         "--threshold"},
        {with({"--max-each", "9999", "--threshold", "100000", cents}), "/dev/null", 2, "", true,
         "--threshold"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.args, c.input);
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        EXPECT_EQ(run.status, c.status) << line << run.err;
        EXPECT_EQ(run.out, c.out) << line;
        EXPECT_EQ(linesOf(run.err).size(), c.errorLine ? 1u : 0u) << line << run.err;
        EXPECT_NE(run.err.find(c.errorHas), std::string::npos) << line << run.err;
    }
}

} // namespace
} // namespace zorvane::test
