// POSIX child processes with pipes.
#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pennoria::platform {

ChildProcess::~ChildProcess() {
    CloseInput();
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        Wait();
    }
    if (m_fromChild)
        std::fclose(m_fromChild);
}

bool ChildProcess::Start(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         const std::string& stderrPath) {
    if (argv.empty() || m_pid > 0)
        return false;
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pid = ::fork();
    if (pid == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        if (!stderrPath.empty()) {
            int fd = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0)
                ::dup2(fd, 2);
        }
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (pid < 0) {
        ::close(toChild[1]);
        ::close(fromChild[0]);
        return false;
    }
    m_pid = pid;
    m_toChild = ::fdopen(toChild[1], "wb");
    m_fromChild = ::fdopen(fromChild[0], "rb");
    return m_toChild && m_fromChild;
}

void ChildProcess::CloseInput() {
    if (m_toChild) {
        std::fclose(m_toChild);
        m_toChild = nullptr;
    }
}

int ChildProcess::Wait() {
    if (m_pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0) {
        if (errno != EINTR) {
            m_pid = -1;
            return -1;
        }
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace pennoria::platform
