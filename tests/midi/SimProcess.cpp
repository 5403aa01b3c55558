#include "SimProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace morvane::test {

std::string uniqueClientName(const std::string& stem)
{
    static int counter = 0;
    return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

SimProcess::SimProcess(std::vector<std::string> options, std::string name)
    : name_(name.empty() ? uniqueClientName("sim") : std::move(name)), logPath_("/tmp/morvane-" + name_ + ".log")
{
    std::vector<std::string> args{MORVANE_SIM, "--name", name_, "--log"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int error = posix_spawn(&pid_, MORVANE_SIM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        pid_ = -1;
        return;
    }
    started_ = waitFor("morvane-sim: ready");
}

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::remove(logPath_.c_str());
}

std::string SimProcess::output() const
{
    std::ifstream in(logPath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool SimProcess::waitFor(const std::string& text, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (output().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace morvane::test
