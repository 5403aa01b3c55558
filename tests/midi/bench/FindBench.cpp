// How long "Find instrument" takes, through the JACK server that
// JACK_DEFAULT_SERVER names, with morvane-sim processes: the time from a
// voice request to the whole dump, and whole searches over ten outputs.
// Run by hand (scripts/test.sh's server set-up, then build-*/tests/midi/find_bench);
// not one of the tests.
#include "InstrumentSearch.h"
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "SimProcess.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

using namespace morvane;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

std::unique_ptr<MidiBackend> jack(const std::string& name)
{
    return std::make_unique<SystemMidiBackend>(name, SystemMidiBackend::System::Jack);
}

// Request to complete dump, `rounds` times; prints the median and the longest.
void replyLatency(const test::SimProcess& sim, int model, int device, int rounds)
{
    auto backend = jack(test::uniqueClientName("bench"));
    std::mutex mutex;
    std::condition_variable arrived;
    Clock::time_point at{};
    const int in = findDevice(backend->inputNames(), {sim.outputPort(), -1});
    const int out = findDevice(backend->outputNames(), {sim.inputPort(), -1});
    backend->openInput(in, [&](const std::uint8_t* data, std::size_t size) {
        if (!voiceDumpLayout(data, size))
            return;
        std::lock_guard lock(mutex);
        at = Clock::now();
        arrived.notify_all();
    });
    backend->openOutput(out);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto request = dumpRequest(model, device);
        {
            std::lock_guard lock(mutex);
            at = {};
        }
        backend->send(request.data(), request.size());
        const auto sent = Clock::now();
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(2), [&] { return at != Clock::time_point{}; })) {
            std::printf("no reply from %s:\n%s\n", sim.name().c_str(), sim.output().c_str());
            return;
        }
        times.push_back(ms(at - sent));
    }
    std::sort(times.begin(), times.end());
    std::printf("%s request to dump: median %.1f ms, longest %.1f ms (%d rounds)\n", model == 2 ? "TG-33" : "SY",
                times[times.size() / 2], times.back(), rounds);
}

void search(const char* what, const std::vector<std::string>& inputs, const std::vector<std::string>& outputs)
{
    InstrumentSearch search(jack, inputs, outputs, test::uniqueClientName("bench"));
    SearchResult result;
    const auto start = Clock::now();
    std::vector<double> marks;
    search.start([&](int, int, const std::string&) { marks.push_back(ms(Clock::now() - start)); },
                 [&](const SearchResult& r) { result = r; });
    search.wait();
    std::printf("%s: %.0f ms (inputs open after %.0f ms, last output begun at %.0f ms), %s, %zu outputs tried\n",
                what, ms(Clock::now() - start), marks.empty() ? 0.0 : marks.front(), marks.empty() ? 0.0 : marks.back(),
                result.outcome == SearchResult::Outcome::Found ? "found" : "nothing found", result.tried.size());
}

} // namespace

int main(int argc, char** argv)
{
    // How many silent simulators (9 by default): with the instrument, the outputs searched.
    const int silentCount = argc > 1 ? std::atoi(argv[1]) : 9;
    if (!jackServerRunning()) {
        std::fprintf(stderr, "No JACK server is reachable.\n");
        return 1;
    }
    std::vector<std::unique_ptr<test::SimProcess>> silent;
    for (int i = 0; i < silentCount; ++i)
        silent.push_back(std::make_unique<test::SimProcess>(std::vector<std::string>{"--silent"}));
    test::SimProcess instrument({"--device", "16", "--model", "tg33"});
    test::SimProcess cable({"--wire-rate", "31250"});

    for (const auto* sim : {&instrument, &cable})
        if (!sim->started()) {
            std::fprintf(stderr, "%s", sim->output().c_str());
            return 1;
        }
    replyLatency(instrument, 2, 15, 20);
    replyLatency(cable, 0, 0, 5);

    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    for (const auto& sim : silent) {
        inputs.push_back(sim->outputPort());
        outputs.push_back(sim->inputPort());
    }
    inputs.push_back(instrument.outputPort());
    std::vector<std::string> tenSilent = outputs;
    // The same silent port again stands for a tenth one.
    while (tenSilent.size() < 10)
        tenSilent.push_back(silent.empty() ? cable.inputPort() : silent.front()->inputPort());
    search("ten outputs, none answers", inputs, tenSilent);
    while (outputs.size() < 9)
        outputs.push_back(silent.empty() ? cable.inputPort() : silent.front()->inputPort());
    outputs.push_back(instrument.inputPort());
    search("ten outputs, the tenth a TG-33 on device 16", inputs, outputs);
    return 0;
}
