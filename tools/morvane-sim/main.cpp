// morvane-sim: a simulated SY-22/SY-35/TG-33 on this machine's MIDI system,
// for trying the program, and for its tests, without an instrument.
#include "Version.h"
#include "Instrument.h"
#include "SystemMidiBackend.h"
#include "VoiceFile.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <pthread.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: morvane-sim [options] [VOICE.SYX]

A simulated SY-22/SY-35/TG-33 for Morvane. It opens a MIDI input and a MIDI
output of its own (JACK when a JACK server is running, otherwise the ALSA
sequencer) and holds one edit voice: the reset voice, or the voice of the
.SYX file given. It answers the SY-22/SY-35 dump request with a voice dump in
the SY layout and the TG-33 request with one in the TG-33 layout, on the
channel the request names, and takes every voice dump it receives as its new
edit voice. It holds 64 internal voices and the multi data of its own (or
those of the banks given with --bank), answers the SY-22/SY-35 and TG-33 bank
requests with a bank of that layout in its blocks, pausing 100 ms after each
as the instrument does, and takes every whole bank it receives into that
memory. As a TG-33 it also holds an edit multi ("SIM MULT"), answers the
multi request with it and takes every sound multi dump it receives. It runs
until interrupted (Ctrl+C).

Options:
  --name NAME         MIDI client name (default morvane-sim); the ports are
                      NAME-in:in (connect Morvane's output here) and
                      NAME-out:out (connect it to Morvane's input)
  --system jack|alsa  use this MIDI system instead of choosing one
  --log               print a line for every message received and sent, and
                      one for every block of a bank as it arrives or leaves,
                      with the time on the machine's monotonic clock
  --silent            never answer a dump request
  --device N          answer only requests for device number N (1-16, as the
                      instrument's panel shows it; the request's third byte
                      ends in N-1), as the instrument does
  --model sy|tg33     answer only the SY-22/SY-35 request (sy) or only the
                      TG-33 request (tg33), as that model does; by default
                      both
  --reply-delay MS    answer a dump request MS milliseconds late
  --send-foreign      before answering a request, send three System Exclusive
                      messages that are not voice dumps (another maker's, a
                      truncated dump, an overlong dump)
  --wire-rate BAUD    model a MIDI cable of BAUD bits per second (31250 for
                      MIDI): each message takes effect only once its bytes
                      (10 bits each) have crossed it, behind the ones before
                      it; with --log, each dump's line ends with its arrival
                      time on the machine's monotonic clock
  --bank FILE         start with the voices (and, for an SY bank, the multi
                      data) of the bank file FILE; once for each layout
  --help              show this text
  --version           print the version and exit
)";

struct Options {
    std::string name = "morvane-sim";
    morvane::SystemMidiBackend::System system = morvane::SystemMidiBackend::System::Automatic;
    bool log = false;
    morvane::Instrument::Options instrument;
    int replyDelayMs = 0;
    int wireRate = 0;   // none: messages take effect as they come
    std::string voiceFile;
    std::vector<std::string> bankFiles;
};

using Clock = std::chrono::steady_clock;

struct Received {
    std::vector<std::uint8_t> bytes;
    Clock::time_point at;
    bool partial = false;   // the part of a message that has come so far
};

// Milliseconds on the machine's monotonic clock, which other programs on the
// machine read too.
std::string monotonicMs(Clock::time_point t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::chrono::duration<double, std::milli>(t.time_since_epoch()).count());
    return text;
}

// Messages from the MIDI thread to the main thread.
class Inbox {
public:
    void push(std::vector<std::uint8_t> message, bool partial = false)
    {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back({std::move(message), Clock::now(), partial});
        }
        changed_.notify_one();
    }

    void stop()
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

    // The next message; none once stopped.
    std::optional<Received> pop()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || !messages_.empty(); });
        if (stopped_)
            return std::nullopt;
        auto message = std::move(messages_.front());
        messages_.pop_front();
        return message;
    }

    // Sleeps, unless stopped meanwhile; false when stopped.
    bool sleepFor(std::chrono::milliseconds time) { return sleepUntil(Clock::now() + time); }
    bool sleepUntil(Clock::time_point time)
    {
        std::unique_lock lock(mutex_);
        return !changed_.wait_until(lock, time, [this] { return stopped_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Received> messages_;
    bool stopped_ = false;
};

// An option's value written as a whole number from min to max.
bool wholeNumber(const std::optional<std::string>& text, long min, long max, int& number)
{
    if (!text)
        return false;
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || *end != '\0' || value < min || value > max)
        return false;
    number = static_cast<int>(value);
    return true;
}

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--version") {
            std::cout << "morvane-sim " << morvane::kVersionNumber << '\n';
            std::exit(0);
        } else if (arg == "--name") {
            auto v = value();
            if (!v || v->empty())
                return false;
            options.name = *v;
        } else if (arg == "--system") {
            auto v = value();
            if (v == "jack")
                options.system = morvane::SystemMidiBackend::System::Jack;
            else if (v == "alsa")
                options.system = morvane::SystemMidiBackend::System::Alsa;
            else
                return false;
        } else if (arg == "--bank") {
            auto v = value();
            if (!v || v->empty())
                return false;
            options.bankFiles.push_back(*v);
        } else if (arg == "--log") {
            options.log = true;
        } else if (arg == "--silent") {
            options.instrument.silent = true;
        } else if (arg == "--device") {
            int device = 0;
            if (!wholeNumber(value(), 1, 16, device))
                return false;
            options.instrument.device = device - 1;
        } else if (arg == "--model") {
            auto v = value();
            if (v == "sy")
                options.instrument.layout = morvane::DumpLayout::Sy;
            else if (v == "tg33")
                options.instrument.layout = morvane::DumpLayout::Tg33;
            else
                return false;
        } else if (arg == "--send-foreign") {
            options.instrument.sendForeign = true;
        } else if (arg == "--reply-delay") {
            if (!wholeNumber(value(), 0, 600000, options.replyDelayMs))
                return false;
        } else if (arg == "--wire-rate") {
            if (!wholeNumber(value(), 300, 10000000, options.wireRate))
                return false;
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else if (options.voiceFile.empty()) {
            options.voiceFile = arg;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }

    morvane::Instrument instrument(options.instrument);
    if (!options.voiceFile.empty()) {
        const auto result = instrument.loadVoiceFile(options.voiceFile);
        if (result != morvane::VoiceFileResult::Loaded) {
            std::cerr << "morvane-sim: " << options.voiceFile << ": " << morvane::describe(result) << "\n";
            return 1;
        }
    }

    for (const std::string& file : options.bankFiles) {
        const std::string problem = instrument.loadBankFile(file);
        if (!problem.empty()) {
            std::cerr << "morvane-sim: " << file << ": " << problem << "\n";
            return 1;
        }
    }

    // Every thread, the MIDI system's included, inherits this mask, so only
    // the waiting thread below ever sees these signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Inbox inbox;
    std::thread signalWaiter([&] {
        int signal = 0;
        sigwait(&signals, &signal);
        inbox.stop();
    });

    int status = 0;
    {
        const auto whole = [&inbox](const std::uint8_t* data, std::size_t size) { inbox.push({data, data + size}); };
        const auto part = [&inbox](const std::uint8_t* data, std::size_t size) {
            inbox.push({data, data + size}, true);
        };
        // On JACK the input is read event by event, so that a bank's blocks
        // are seen as they arrive. Input and output are clients of their
        // own, as an instrument's cable ports are: a program with one client
        // for both that connects to both would make a loop in JACK's graph,
        // and JACK delays the data of a loop by a period.
        morvane::SystemMidiBackend listening(options.name + "-in", options.system);
        morvane::SystemMidiBackend midi(options.name + "-out", options.system);
        listening.setChannelHandler(whole);
        listening.setProgressHandler(part);
        const morvane::MidiError inError = listening.openVirtualInput(whole);
        const auto outError = midi.openVirtualOutput();
        if (inError || outError) {
            std::cerr << "morvane-sim: " << (inError ? *inError : *outError) << "\n";
            status = 1;
        } else {
            std::cout << "morvane-sim: ready on " << midi.systemName() << ", input \"" << listening.virtualInputName()
                      << "\", output \"" << midi.virtualOutputName() << "\"" << std::endl;
        }

        const auto crossingOf = [&](std::size_t bytes) {
            return std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(bytes * 10.0 / options.wireRate));
        };
        // When the cable modelled is free again.
        Clock::time_point cableFree{};
        // The bytes of the message arriving now that have been seen in part.
        std::size_t seen = 0;
        while (status == 0) {
            auto received = inbox.pop();
            if (!received)
                break;
            const std::vector<std::uint8_t>& message = received->bytes;
            const std::size_t fresh = message.size() > seen ? message.size() - seen : message.size();
            seen = received->partial ? message.size() : 0;
            if (options.wireRate > 0) {
                // The last byte arrives after all of them have crossed, behind
                // whatever was still crossing when the first one started.
                cableFree = std::max(cableFree, received->at) + crossingOf(fresh);
                if (!inbox.sleepUntil(cableFree))
                    break;
            }
            if (received->partial) {
                for (const std::string& line : instrument.progress(message.data(), message.size()))
                    if (options.log)
                        std::cout << line << " at " << monotonicMs(Clock::now()) << " ms" << std::endl;
                continue;
            }
            const auto response = instrument.handle(message.data(), message.size());
            if (options.log) {
                for (const std::string& line : response.blockLog)
                    std::cout << line << " at " << monotonicMs(Clock::now()) << " ms" << std::endl;
                std::cout << response.log << (response.tookVoice ? " at " + monotonicMs(Clock::now()) + " ms" : "")
                          << std::endl;
            }
            for (const auto& foreign : response.foreign) {
                midi.send(foreign.data(), foreign.size());
                if (options.log)
                    std::cout << "sent other sysex bytes " << foreign.size() << std::endl;
            }
            // A bank goes out block by block, with the instrument's pause after
            // each; at the wire rate each block first takes its time to cross.
            const std::size_t blocks = response.bankBlocks.size();
            bool stopped = false;
            for (std::size_t i = 0; i < blocks && !stopped; ++i) {
                const std::vector<std::uint8_t>& block = response.bankBlocks[i];
                // On a cable the block is whole at the far end once its bytes
                // have crossed.
                if (options.wireRate > 0
                    && !inbox.sleepFor(std::chrono::duration_cast<std::chrono::milliseconds>(crossingOf(block.size()))))
                    break;
                if (const auto error = midi.send(block.data(), block.size())) {
                    std::cerr << "morvane-sim: " << *error << "\n";
                    break;
                }
                if (options.log)
                    std::cout << "sent bank block " << i + 1 << " of " << blocks << " at "
                              << monotonicMs(Clock::now()) << " ms" << std::endl;
                if (i + 1 < blocks && !stopped)
                    stopped = !inbox.sleepFor(std::chrono::milliseconds(morvane::kBankBlockPauseMs));
            }
            if (stopped)
                break;
            if (blocks > 0 && options.log)
                std::cout << response.replyLog << std::endl;
            if (response.reply.empty())
                continue;
            if (options.replyDelayMs > 0 && !inbox.sleepFor(std::chrono::milliseconds(options.replyDelayMs)))
                break;
            if (const auto error = midi.send(response.reply.data(), response.reply.size()))
                std::cerr << "morvane-sim: " << *error << "\n";
            else if (options.log)
                std::cout << response.replyLog << std::endl;
        }
    }

    if (status != 0)
        kill(getpid(), SIGTERM);   // releases the waiting thread
    signalWaiter.join();
    return status;
}
