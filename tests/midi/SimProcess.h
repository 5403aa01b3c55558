// A morvane-sim process for the end-to-end tests: started with its own port
// names, its output collected in a file, stopped when the object goes.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvane::test {

class SimProcess {
public:
    // Starts the simulator under `name`, by default one no other test uses,
    // and waits until its ports are up; started() tells whether they came up.
    explicit SimProcess(std::vector<std::string> options = {}, std::string name = {});
    ~SimProcess();

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return started_; }
    const std::string& name() const { return name_; }
    std::string inputPort() const { return name_ + "-in:in"; }     // where we send
    std::string outputPort() const { return name_ + "-out:out"; }  // where we listen

    // Everything the simulator has printed so far.
    std::string output() const;
    // Waits until the output holds `text`.
    bool waitFor(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    std::string name_;
    std::string logPath_;
    pid_t pid_ = -1;
    bool started_ = false;
};

// A name for a MIDI client that is unique to this test process and call.
std::string uniqueClientName(const std::string& stem);

} // namespace morvane::test
