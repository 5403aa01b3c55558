// A program run through the shell as a user runs it: its exit status, what
// it printed, and what it printed on standard error.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace morvane::test {

struct ShellRun {
    int status;
    std::string out;
    std::string err;
};

// `command` is handed to the shell; standard error goes through `errPath`,
// which is removed afterwards.
inline ShellRun runInShell(const std::string& command, const std::string& errPath)
{
    ShellRun result{};
    FILE* pipe = ::popen((command + " 2>" + errPath).c_str(), "r");
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    result.status = WEXITSTATUS(::pclose(pipe));
    {
        std::ifstream err(errPath, std::ios::binary);
        result.err.assign(std::istreambuf_iterator<char>(err), {});
    }
    std::remove(errPath.c_str());
    return result;
}

} // namespace morvane::test
