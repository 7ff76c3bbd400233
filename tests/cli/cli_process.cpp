#include "tests/cli/cli_process.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zorvane::test {

namespace {

// Strings as exec takes them: an array of pointers ended by a null one.
class StringArray final
{
public:
    explicit StringArray(std::vector<std::string> strings) : m_strings(std::move(strings))
    {
        for (std::string& text : m_strings)
            m_pointers.push_back(text.data());
        m_pointers.push_back(nullptr);
    }
    StringArray(const StringArray&) = delete;
    StringArray& operator=(const StringArray&) = delete;

    char* const* data() const { return m_pointers.data(); }

private:
    std::vector<std::string> m_strings;
    std::vector<char*> m_pointers;
};

// The program and its arguments.
std::vector<std::string> commandLine(const std::vector<std::string>& args)
{
    std::vector<std::string> line = {ZORVANE_CLI};
    line.insert(line.end(), args.begin(), args.end());
    return line;
}

// The test's environment with the language of the messages set by locale
// alone ("LC_ALL=C.UTF-8" unless given), so that what a run prints does not
// depend on the locale of whoever runs the tests.
std::vector<std::string> environmentIn(const std::vector<std::string>& locale)
{
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        if (!entry.starts_with("LANG=") && !entry.starts_with("LANGUAGE=") && !entry.starts_with("LC_"))
            environment.push_back(entry);
    }
    if (locale.empty())
        environment.push_back("LC_ALL=C.UTF-8");
    environment.insert(environment.end(), locale.begin(), locale.end());
    return environment;
}

} // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& input, bool outputPipeClosed,
                       const std::vector<std::string>& locale)
{
    const StringArray argv(commandLine(args));
    const StringArray envp(environmentIn(locale));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
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

    if (posix_spawn(&m_pid, argv.data()[0], &actions, &attributes, argv.data(), envp.data()) != 0)
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

CliRun runCli(const std::vector<std::string>& args, const std::string& input)
{
    CliProcess process(args, input);
    return process.wait();
}

CliRun runCliInLocale(const std::vector<std::string>& locale, const std::vector<std::string>& args)
{
    CliProcess process(args, "/dev/null", false, locale);
    return process.wait();
}

CliRun runCliOnTerminal(const std::vector<std::string>& args)
{
    const StringArray argv(commandLine(args));
    const StringArray envp(environmentIn({}));
    CliRun run;
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0)
        return run;
    if (pid == 0) {
        execve(argv.data()[0], argv.data(), envp.data());
        _exit(127);
    }
    // Read until the child's side closes; then the read fails with EIO.
    char buffer[4096];
    for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
        run.out.append(buffer, static_cast<std::size_t>(n));
    ::close(terminal);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    return run;
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
