#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"
#include "search/search_thread.h"
#include "tests/search/fixture_shop.h"

extern char** environ;

using namespace zorvane;

namespace {

constexpr int kPages = 400;

class DiscardingSink final : public FeedbackSink
{
public:
    void send(const Feedback&) override {}
    void post(const Feedback&) override {}
};

test::FixtureShop& shop()
{
    static test::FixtureShop* shared = [] {
        test::FixtureShopOptions options;
        options.pages = kPages;
        auto* made = new test::FixtureShop(options);
        if (!made->start())
            std::abort();
        return made;
    }();
    return *shared;
}

// One walk of every page at interval 0 on this thread, as the search thread
// runs it; false when it did not reach the last page.
bool walkOnce(const Config& config)
{
    AppState state(config);
    if (!state.createLocks().ok())
        return false;
    SearchInput typed;
    typed.address = shop().firstPageUrl();
    typed.interval = "0";
    typed.pageLimit = "0";
    typed.cookie = "user=bench";
    const SearchStart start = prepareSearchStart(state, typed);
    if (!start.accepted)
        return false;
    DiscardingSink sink;
    searchThreadMain(state, start.job, sink);
    return state.position.copy().pagesDone == kPages;
}

void reportPerPage(benchmark::State& state, double seconds, std::size_t handshakes, std::size_t connections)
{
    const double walks = static_cast<double>(state.iterations());
    state.counters["ms_per_page"] = seconds * 1000.0 / (walks * kPages);
    state.counters["handshakes_per_walk"] = static_cast<double>(handshakes) / walks;
    state.counters["connections_per_walk"] = static_cast<double>(connections) / walks;
}

void walk(benchmark::State& state, bool verify)
{
    Config config = shop().config();
    if (!verify) {
        config.caFile.clear();
        config.ignoreCertErrors = true;
    }
    const std::size_t handshakesBefore = shop().handshakeCount();
    const std::size_t connectionsBefore = shop().connectionCount();
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        if (!walkOnce(config))
            state.SkipWithError("the walk did not reach the last page");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    reportPerPage(state, seconds, shop().handshakeCount() - handshakesBefore,
                  shop().connectionCount() - connectionsBefore);
}

// The floor: the curl command line fetching the walk's addresses over one
// connection, checking the certificate against the shop's CA.
void curlCommandLine(benchmark::State& state)
{
    std::vector<std::string> args = {"curl", "-s", "--cacert", shop().config().caFile};
    for (int page = 1; page <= kPages; ++page) {
        std::string url = shop().firstPageUrl();
        if (page > 1)
            url += "&page=" + std::to_string(page) + "&s=" + std::to_string(60 * (page - 1) + 1) + "&click=0";
        args.insert(args.end(), {"-o", "/dev/null", url});
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::size_t handshakesBefore = shop().handshakeCount();
    const std::size_t connectionsBefore = shop().connectionCount();
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("curl failed");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    reportPerPage(state, seconds, shop().handshakeCount() - handshakesBefore,
                  shop().connectionCount() - connectionsBefore);
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("Walk400/verified", [](benchmark::State& s) { walk(s, true); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("Walk400/insecure", [](benchmark::State& s) { walk(s, false); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("Walk400/curl_command_line", curlCommandLine)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    return true;
}();

} // namespace
