// The command line itself: version, help and every usage error.
#include <filesystem>

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "tests/cli/cli_process.h"

namespace zorvane::test {
namespace {

TEST(CliUsage, VersionAndHelp)
{
    CliRun run = runCli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "zorvane-cli " ZORVANE_VERSION "\n");
    EXPECT_EQ(run.err, "");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"search", "--help"}, {"extract", "-h"}}) {
        run = runCli(args);
        EXPECT_EQ(run.status, 0) << args.front();
        EXPECT_NE(run.out.find("zorvane-cli search [options] ADDRESS"), std::string::npos);
        EXPECT_NE(run.out.find("zorvane-cli extract [options] FILE..."), std::string::npos);
        EXPECT_NE(run.out.find("--ca-file FILE    for testing"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
}

TEST(CliUsage, EveryUsageErrorIsOneLineAndStatusTwo)
{
    TempDir dir;
    const std::string csv = dir.file("goods.csv");
    const std::string address = "http://127.0.0.1:1/Search?keyword=x";
    // A settings file whose certificate file is missing.
    const std::string missingCa = dir.file("setsoft.ini");
    writeFileBytes(missingCa, utf8ToGbk("[配置]\r\n证书文件=" + dir.file("none.pem") + "\r\n"));
    struct Case
    {
        std::vector<std::string> args;
        std::string reason;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"crawl", address}, "unknown command: crawl"},
        {{"search", "-o", csv}, "search needs an ADDRESS"},
        {{"search", "-o", csv, address, address}, "search takes one ADDRESS, not 2"},
        {{"search", "-o", csv, "ftp://127.0.0.1/list"}, "not an http or https address: ftp://127.0.0.1/list"},
        {{"search", "-o", csv, "search.jd.com/Search"}, "not an http or https address: search.jd.com/Search"},
        {{"search", "-o", csv, "-i", "-5", address}, "--interval: the page interval cannot be negative"},
        {{"search", "-o", csv, "--pages=-1", address}, "--pages: the page limit cannot be negative"},
        {{"search", "-o", csv, "-i", "soon", address},
         "--interval needs a whole number of milliseconds: soon"},
        {{"search", "-o", csv, "-p", "1.5", address}, "--pages needs a whole number: 1.5"},
        {{"search", "-o", csv, "--min", "cheap", address}, "--min needs a price: cheap"},
        {{"search", "-o", csv, "--max=", address}, "--max needs a price: "},
        {{"search", "-o", csv, "--sort", "up", address}, "--sort takes asc or desc: up"},
        {{"search", "-o", csv, "-H", "no colon", address},
         "--header needs one line \"Name: value\": no colon"},
        {{"search", "-o", csv, "--tag", "", address}, "--tag needs a tag"},
        {{"search", "-o", csv, "--search-host", "a/b", address},
         "--search-host needs a host or host:port: a/b"},
        {{"search", "-o", csv, "--insecure=yes", address}, "--insecure takes no value"},
        {{"search", "-o", csv, "--fast", address}, "unknown option: --fast"},
        {{"search", "-o", csv, "-x", address}, "unknown option: -x"},
        {{"search", address, "-o", csv, "-i"}, "-i needs a value"},
        {{"search", "-o", csv, "--config", dir.file("none.ini"), address},
         "cannot read the settings file " + dir.file("none.ini")},
        {{"search", "-o", csv, "--cacert", dir.file("none.pem"), address},
         "cannot read the certificate file " + dir.file("none.pem")},
        {{"search", "-o", csv, "--config", missingCa, address},
         "cannot read the certificate file " + dir.file("none.pem") + " (证书文件 in " + missingCa + ")"},
        {{"search", "-o", csv, "--retries", "-1", address},
         "--retries needs a whole number, 0 = no limit: -1"},
        {{"extract"}, "extract needs at least one FILE"},
        {{"extract", "--csv", "x"}, "unknown option: --csv"},
        {{"search", "-o", csv, "--format", "xml", address}, "--format takes csv, tsv, json or xlsx: xml"},
        {{"extract", "--encoding=latin1", "x"}, "--encoding takes gbk or utf-8: latin1"},
        {{"search", "-o", csv, "--format=json", "--encoding", "utf-8", address},
         "--encoding applies to --format csv only"},
        {{"extract", "-q1", "x"}, "-q takes no value"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 2) << c.reason;
        EXPECT_EQ(run.err, "zorvane-cli: " + c.reason + "\n");
        EXPECT_EQ(run.out, "") << c.reason;
    }
    // Nothing was walked, so nothing was written.
    EXPECT_FALSE(std::filesystem::exists(csv));
}

} // namespace
} // namespace zorvane::test
