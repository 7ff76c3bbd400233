#include "tests/web/tinyproxy_runner.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zorvane::test {

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

// A port that was free a moment ago; tinyproxy cannot be told to take port 0.
int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool accepts(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(port);
    bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

TinyProxyRunner::~TinyProxyRunner()
{
    stop();
}

bool TinyProxyRunner::available()
{
    return ::access(kProgram, X_OK) == 0;
}

bool TinyProxyRunner::start(const std::string& user, const std::string& password)
{
    m_port = freePort();
    const std::string config = m_dir.file("tinyproxy.conf");
    const std::string logFile = m_dir.file("tinyproxy.log");
    {
        std::ofstream out(config);
        out << "Port " << m_port << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 50\n"
            << "Allow 127.0.0.1\nLogLevel Info\n";
        if (!user.empty())
            out << "BasicAuth " << user << " " << password << "\n";
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const char* argv[] = {kProgram, "-d", "-c", config.c_str(), nullptr};
    int failed = ::posix_spawn(&m_pid, kProgram, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        m_pid = -1;
        return false;
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (accepts(m_port))
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    return false;
}

void TinyProxyRunner::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string TinyProxyRunner::address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string TinyProxyRunner::log() const
{
    std::ifstream in(m_dir.file("tinyproxy.log"));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace zorvane::test
