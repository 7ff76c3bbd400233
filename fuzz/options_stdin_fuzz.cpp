// Options read from standard input (--options-stdin): each line one option,
// then the options as the search and a watch's job read them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/options_stdin.h"
#include "cli/watch_command.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zorvane;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Result<std::vector<std::string>> options = cli::optionLines(text);
    if (!options.ok()) {
        // A refusal never quotes the line: it may hold a secret.
        FUZZ_CHECK(options.error().find('\n') == std::string::npos);
        return 0;
    }
    for (const std::string& option : *options) {
        FUZZ_CHECK(option.size() > 1 && option[0] == '-');
        FUZZ_CHECK(option.find_first_of(std::string("\n\0", 2)) == std::string::npos);
        FUZZ_CHECK(option.rfind(cli::kOptionsStdin, 0) != 0);
    }
    std::vector<std::string> search = {"search"};
    search.insert(search.end(), options->begin(), options->end());
    search.push_back("https://search.jd.com/Search?coupon_batch=1");
    (void)cli::parseCommandLine(search);
    // A job's own options are read the same way; "add" reads no file.
    search[0] = "add";
    search.insert(search.begin(), "watch");
    (void)cli::parseWatchCommand(search);
    return 0;
}
