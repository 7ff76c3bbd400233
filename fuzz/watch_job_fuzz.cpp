// The job file's reader on arbitrary bytes: what it accepts writes back and
// reads back as itself, and what the writer is handed that is not UTF-8 it
// names instead of throwing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "watch/watch_job.h"

using namespace zorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const JobRead read = parseWatchJob(text);
    if (!read.ok()) {
        FUZZ_CHECK(read.job == WatchJob{});
        return 0;
    }
    FUZZ_CHECK(checkWatchJob(read.job).fault == JobFault::None);
    const std::string written = watchJobText(read.job);
    // Indenting can take a dense file over the bound; a job the program
    // writes is refused there before it is written.
    if (written.size() <= kMaxJobFileBytes) {
        const JobRead again = parseWatchJob(written);
        FUZZ_CHECK(again.ok() && again.job == read.job);
    }

    WatchJob raw = read.job;
    raw.args.emplace_back(text.substr(0, 16));
    const JobProblem problem = checkWatchJob(raw);
    FUZZ_CHECK((problem.fault == JobFault::NotUtf8) == !isValidUtf8(raw.args.back()));
    (void)watchJobText(raw);
    return 0;
}
