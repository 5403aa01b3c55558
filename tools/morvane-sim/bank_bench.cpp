// Times Get bank and Send bank against a running morvane-sim that models a
// 31,250-baud cable (--wire-rate 31250 --log), next to the cable's limit: a
// bank's bytes at 10 bits each, plus the instrument's pause after each block
// but the last.
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "VoiceBank.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int indexOf(const morvane::MidiPort& port, bool input, const std::string& name)
{
    const int count = input ? port.inputCount() : port.outputCount();
    for (int i = 0; i < count; ++i)
        if ((input ? port.inputDeviceName(i) : port.outputDeviceName(i)).rfind(name, 0) == 0)
            return i;
    return -1;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// How often `text` appears in the simulator's log.
int occurrences(const std::string& log, const std::string& text)
{
    std::ifstream in(log);
    std::stringstream all;
    all << in.rdbuf();
    const std::string s = all.str();
    int n = 0;
    for (std::size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + 1))
        ++n;
    return n;
}

void report(const char* what, morvane::DumpLayout layout, Clock::duration took)
{
    const morvane::BankFormat& f = morvane::bankFormat(layout);
    const double wire = morvane::bankSize(f) * 10.0 / 31250.0;
    const double pauses = (morvane::bankBlocks(f) - 1) * morvane::kBankBlockPauseMs / 1000.0;
    std::printf("%-10s %-12s %6zu bytes: %6.2f s; the cable's limit %5.2f s + %4.2f s of pauses = %5.2f s (%+.2f s)\n",
                what, std::string(f.model).c_str(), morvane::bankSize(f), seconds(took), wire, pauses, wire + pauses,
                seconds(took) - wire - pauses);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "Usage: morvane-bank-bench SIM_NAME SIM_LOG\n");
        return 2;
    }
    const std::string sim = argv[1];
    const std::string log = argv[2];
    morvane::MidiPort port(std::make_unique<morvane::SystemMidiBackend>("bank-bench"),
                           [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    const int in = indexOf(port, true, sim + "-out:out");
    const int out = indexOf(port, false, sim + "-in:in");
    if (in < 0 || out < 0) {
        std::fprintf(stderr, "morvane-bank-bench: no ports of %s found\n", sim.c_str());
        return 1;
    }
    port.open(in, out);
    port.setWireRate(morvane::SendPacer::kCableBaud);

    for (const morvane::DumpLayout layout : {morvane::DumpLayout::Tg33, morvane::DumpLayout::Sy}) {
        const auto start = Clock::now();
        if (port.startBankReceive(layout, 0)) {
            std::fprintf(stderr, "morvane-bank-bench: the request could not be sent\n");
            return 1;
        }
        morvane::MidiPort::BankArrival arrival;
        // When the first block was counted, and how many counts were seen
        // before the bank was whole (what a progress bar can show).
        Clock::duration firstBlock{};
        int counts = 0;
        do {
            std::this_thread::sleep_for(1ms);
            const int before = arrival.blocks;
            arrival = port.bankArrival();
            if (arrival.state == morvane::MidiPort::BankArrival::State::Arriving && arrival.blocks != before) {
                if (counts++ == 0)
                    firstBlock = Clock::now() - start;
            }
        } while (arrival.state == morvane::MidiPort::BankArrival::State::Waiting
                 || arrival.state == morvane::MidiPort::BankArrival::State::Arriving);
        const auto took = Clock::now() - start;
        port.stopBankReceive();
        if (arrival.state != morvane::MidiPort::BankArrival::State::Complete) {
            std::fprintf(stderr, "morvane-bank-bench: no bank came\n");
            return 1;
        }
        report("Get bank", layout, took);
        if (counts > 0)
            std::printf("%-10s first block counted at %.2f s; %d of %d block counts seen before the bank was whole\n", "",
                        seconds(firstBlock), counts, arrival.of - 1);
        else
            std::printf("%-10s no block counted before the bank was whole\n", "");

        // The same bytes back, paced to the cable, until the simulator has
        // taken the whole bank in.
        const int stored = occurrences(log, "stored");
        const auto sendStart = Clock::now();
        port.sendBank(arrival.message);
        while (occurrences(log, "stored") == stored)
            std::this_thread::sleep_for(2ms);
        report("Send bank", layout, Clock::now() - sendStart);
    }
    return 0;
}
