// Finds the instrument without knowing its ports or device number: listens
// on every input at once, then tries each output in turn with the SY-22/SY-35
// and the TG-33 voice requests for all sixteen device numbers. The first
// voice dump that comes back names the input, the output, the device number
// and the layout.
//
// The search runs on a thread of its own, with MIDI ports of its own that
// it closes before it ends; the program's own ports are not touched.
#pragma once

#include "DumpFormat.h"
#include "MidiBackend.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace morvane {

struct SearchResult {
    enum class Outcome { Found, NothingFound, Cancelled };
    Outcome outcome = Outcome::NothingFound;
    // Found: where the answer came from.
    std::string input;
    std::string output;
    int device = -1;   // 0-15, the low nibble of the dump's device byte
    DumpLayout layout = DumpLayout::Sy;
    // The outputs a request went to, in order.
    std::vector<std::string> tried;
    // The ports that could not be opened, each with the MIDI system's reason.
    std::vector<std::pair<std::string, std::string>> failedInputs;
    std::vector<std::pair<std::string, std::string>> failedOutputs;
    // The inputs listened on.
    int inputsOpen = 0;
};

class InstrumentSearch {
public:
    // Makes a backend of the MIDI system the program uses, under a client
    // name of its own.
    using BackendFactory = std::function<std::unique_ptr<MidiBackend>(const std::string& clientName)>;
    // Output `index` (0-based) of `count` is about to be tried.
    using ProgressHandler = std::function<void(int index, int count, const std::string& output)>;
    using DoneHandler = std::function<void(const SearchResult& result)>;

    // The time one request takes on a MIDI cable (15 bytes of 10 bits at
    // 31,250 bits per second); the requests to an output go out this far
    // apart, all 32 of them within 154 ms.
    static constexpr std::chrono::microseconds kRequestTime{kRequestSize * 10 * 1000000 / 31250};
    // How long each output is given to answer, from its first request. An
    // instrument on device 16 gets its request after 154 ms and its voice
    // dump takes about 195 ms to come back over the cable, so all of it is in
    // after about 350 ms plus the instrument's own time to start; through
    // JACK the simulated one answers within 5-25 ms of a request. An answer
    // later than this still counts for this output until the next output's
    // first request goes out.
    static constexpr std::chrono::milliseconds kReplyWait{600};

    // `clientStem` names the search's own MIDI clients ("<stem>-find...").
    InstrumentSearch(BackendFactory factory, std::vector<std::string> inputs, std::vector<std::string> outputs,
                     std::string clientStem);
    // Cancels a search that runs and waits until its ports are closed.
    ~InstrumentSearch();

    InstrumentSearch(const InstrumentSearch&) = delete;
    InstrumentSearch& operator=(const InstrumentSearch&) = delete;

    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }

    // Starts the search on its own thread; the handlers are called on that
    // thread, `done` exactly once, after every port of the search is closed.
    void start(ProgressHandler progress, DoneHandler done);
    // Ends the search soon; `done` then reports Cancelled.
    void cancel();
    // Waits for the thread to end.
    void wait();

    // The request messages sent to each output, in order: for each device
    // number the SY request, then the TG-33 request.
    static std::vector<std::vector<std::uint8_t>> requests();

private:
    void run(const ProgressHandler& progress, const DoneHandler& done);
    // Waits for an answer or the deadline or a cancel; true when answered.
    bool waitForAnswer(std::chrono::steady_clock::time_point deadline);

    BackendFactory factory_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::string clientStem_;
    std::chrono::milliseconds replyWait_ = kReplyWait;

    std::mutex mutex_;
    std::condition_variable woken_;
    bool cancelled_ = false;
    int tryingOutput_ = -1;   // the output whose requests went out; -1 none yet
    struct Answer {
        int input;
        int output;
        int device;
        DumpLayout layout;
    };
    std::optional<Answer> answer_;
    std::thread thread_;
};

} // namespace morvane
