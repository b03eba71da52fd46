// Starting a helper program with its standard input and output connected to us (tests,
// benchmarks, the serve harness).
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace pennoria::platform {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a path) with the extra environment variables set; its standard error goes
    // to stderrPath when given (truncated), else stays ours.
    bool Start(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, std::string>>& environment = {},
               const std::string& stderrPath = {});
    // Our ends of the child's standard input and output.
    std::FILE* Input() const { return m_toChild; }
    std::FILE* Output() const { return m_fromChild; }
    // Closes the child's standard input (it sees end of input).
    void CloseInput();
    // Waits for the child to end; its exit code, or -1 when it was killed by a signal.
    int Wait();

private:
    int m_pid = -1;
    std::FILE* m_toChild = nullptr;
    std::FILE* m_fromChild = nullptr;
};

} // namespace pennoria::platform
