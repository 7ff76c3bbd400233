#include "tests/cli/cli_process.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

extern char** environ;

namespace zorvane::test {

CliProcess::CliProcess(const std::vector<std::string>& args, bool outputPipeClosed)
{
    std::vector<std::string> argv{ZORVANE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string outPath = m_dir.file("out");
    const std::string errPath = m_dir.file("err");
    int pipeEnds[2] = {-1, -1};
    if (outputPipeClosed && ::pipe(pipeEnds) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    if (posix_spawn(&m_pid, pointers[0], &actions, &attributes, pointers.data(), environ) != 0)
        m_pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Nobody reads the pipe: the child's first write to it fails.
    for (int end : pipeEnds) {
        if (end >= 0)
            ::close(end);
    }
}

CliProcess::~CliProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void CliProcess::sendSignal(int signal)
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

std::string CliProcess::errSoFar() const
{
    return readFileBytes(m_dir.file("err"));
}

CliRun CliProcess::wait()
{
    using namespace std::chrono;
    CliRun run;
    if (m_pid <= 0)
        return run;
    int raw = 0;
    const auto giveUp = steady_clock::now() + minutes(2);
    while (::waitpid(m_pid, &raw, WNOHANG) == 0) {
        if (steady_clock::now() > giveUp) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &raw, 0);
            break;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    m_pid = -1;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    run.out = readFileBytes(m_dir.file("out"));
    run.err = readFileBytes(m_dir.file("err"));
    return run;
}

CliRun runCli(const std::vector<std::string>& args)
{
    CliProcess process(args);
    return process.wait();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace zorvane::test
