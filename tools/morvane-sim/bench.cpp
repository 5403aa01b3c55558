// Times "Get voice" against running morvane-sim instances: the round trip of
// a request that is answered, and the processor time of a wait that is not.
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "VoiceData.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
           + usage.ru_stime.tv_usec / 1e3;
}

int indexOf(const morvane::MidiPort& port, bool input, const std::string& name)
{
    const int count = input ? port.inputCount() : port.outputCount();
    for (int i = 0; i < count; ++i)
        if ((input ? port.inputDeviceName(i) : port.outputDeviceName(i)).rfind(name, 0) == 0)
            return i;
    return -1;
}

bool openSim(morvane::MidiPort& port, const std::string& sim)
{
    const int in = indexOf(port, true, sim + "-out:out");
    const int out = indexOf(port, false, sim + "-in:in");
    if (in < 0 || out < 0) {
        std::fprintf(stderr, "morvane-midi-bench: no ports of %s found\n", sim.c_str());
        return false;
    }
    port.open(in, out);
    return port.inputIsOpen() && port.outputIsOpen();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "Usage: morvane-midi-bench ANSWERING_SIM_NAME SILENT_SIM_NAME [ROUNDS]\n");
        return 2;
    }
    const std::string answering = argv[1];
    const std::string silent = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 50;

    morvane::VoiceParameters voice{};
    morvane::VoiceData voiceData(voice);
    auto report = [](const std::string& text) { std::fprintf(stderr, "open error: %s\n", text.c_str()); };
    auto backend = std::make_unique<morvane::SystemMidiBackend>("morvane-bench");
    const std::string system = backend->systemName();
    morvane::MidiPort port(std::move(backend), report);

    if (!openSim(port, answering))
        return 1;
    for (int model : {0, 2}) {
        std::vector<double> times;
        int failures = 0;
        for (int i = 0; i < rounds; ++i) {
            const auto start = Clock::now();
            const bool ok = static_cast<bool>(port.requestVoice(model, 0, voiceData));
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            failures += ok ? 0 : 1;
        }
        std::printf("round trip, %s layout, %d requests on %s: median %.2f ms, min %.2f ms, max %.2f ms, "
                    "%d unanswered\n",
                    model == 2 ? "TG-33" : "SY", rounds, system.c_str(), median(times),
                    *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()),
                    failures);
    }

    port.close();
    if (!openSim(port, silent))
        return 1;
    const double threadBefore = cpuMs(RUSAGE_THREAD);
    const double processBefore = cpuMs(RUSAGE_SELF);
    const auto start = Clock::now();
    const bool answered = static_cast<bool>(port.requestVoice(0, 0, voiceData));
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("wait with no answer: %.0f ms wall, %.2f ms processor time in the waiting thread, "
                "%.2f ms in the whole process (MIDI threads included)%s\n",
                wall, cpuMs(RUSAGE_THREAD) - threadBefore, cpuMs(RUSAGE_SELF) - processBefore,
                answered ? " - UNEXPECTED ANSWER" : "");
    return answered ? 1 : 0;
}
