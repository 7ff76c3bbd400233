#include "cli/interrupt_watch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <pthread.h>
#include <unistd.h>

#include "cli/translation.h"

namespace zorvane::cli {

namespace {

// How soon a signal of the same kind as the first counts as the first again.
constexpr std::chrono::seconds kSameRequest{1};

// SIGUSR1 only wakes the watch thread when the watch ends; one from outside
// is ignored.
sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR1);
    return set;
}

// A line on standard error, over the progress display (if there is one), not below it.
void tell(const char* line)
{
    if (isatty(STDERR_FILENO))
        std::fputs("\r\x1b[K", stderr);
    std::fputs(line, stderr);
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : m_onInterrupt(std::move(onInterrupt))
{
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, &m_previousMask);
    m_thread = std::thread([this] { watch(); });
}

InterruptWatch::~InterruptWatch()
{
    m_quit = true;
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void InterruptWatch::watch()
{
    const sigset_t set = watchedSignals();
    std::chrono::steady_clock::time_point firstAt;
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            continue;
        if (signal == SIGUSR1) {
            if (m_quit.load())
                return;
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        int first = 0;
        if (!m_signal.compare_exchange_strong(first, signal)) {
            // coreutils' timeout signals the child and then its whole group,
            // and a shell may pass one on as well: the same signal again at
            // once is the same request, not a second one.
            if (signal == first && now - firstAt < kSameRequest)
                continue;
            tell(_("zorvane-cli: interrupted again, ending at once\n"));
            std::_Exit(128 + signal);
        }
        firstAt = now;
        // The stop is logged only once the log pump comes round; say it now.
        // A terminal's Ctrl-C can be pressed again; kill and a closed terminal
        // get the page finished without the offer.
        if (signal == SIGINT)
            tell(_("zorvane-cli: finishing the current page; press Ctrl-C again to quit without waiting\n"));
        m_onInterrupt();
    }
}

} // namespace zorvane::cli
