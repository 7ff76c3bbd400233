#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {

// How a run of zorvane-cli ended.
struct CliRun
{
    int status = -1; // exit status; minus the signal number when a signal ended it
    std::string out;
    std::string err;
};

// zorvane-cli started as a child process with the given arguments, standard
// input from a file (/dev/null unless named) and both outputs captured in files
// (or the standard output a pipe whose reader has gone). Signals start at their
// defaults in the child, whatever the test process does with them. The
// locale variables are C.UTF-8, or those given ("LANGUAGE=zh_CN", ...).
class CliProcess final
{
public:
    explicit CliProcess(const std::vector<std::string>& args, const std::string& input = "/dev/null",
                        bool outputPipeClosed = false, const std::vector<std::string>& locale = {});
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return m_pid > 0; }
    void sendSignal(int signal);
    // What the child has written to standard error so far.
    std::string errSoFar() const;
    // Waits for the end (a hang guard kills the child after two minutes).
    CliRun wait();

private:
    TempDir m_dir;
    pid_t m_pid = -1;
};

// Runs zorvane-cli to its end.
CliRun runCli(const std::vector<std::string>& args, const std::string& input = "/dev/null");

// Runs zorvane-cli to its end under the given locale variables.
CliRun runCliInLocale(const std::vector<std::string>& locale, const std::vector<std::string>& args);

// Runs zorvane-cli to its end with all three standard streams on a new
// pseudo-terminal; out holds what the terminal showed (LF shown as CR LF).
CliRun runCliOnTerminal(const std::vector<std::string>& args);

// The lines of a text split at LF (a last empty piece dropped).
std::vector<std::string> linesOf(const std::string& text);

} // namespace zorvane::test
