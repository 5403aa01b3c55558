// What the read-back check adds to every voice that is sent, saved or
// stored: encodeDump alone against encodeCheckedDump, per voice, over
// random voices, beside the 189 ms a voice takes to cross a MIDI cable.
//   encode_bench [ROUNDS]
#include "DumpCheck.h"
#include "RandomVoice.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace morvane;

namespace {

template <typename Encode>
double microsecondsPerVoice(const std::vector<VoiceParameters>& voices, int rounds, Encode encode)
{
    std::vector<double> runs;
    unsigned sink = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (const VoiceParameters& v : voices)
            sink += encode(v);
        runs.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count()
                       / static_cast<double>(voices.size()));
    }
    if (sink == 1)
        std::puts("");   // keeps the work from being optimised away
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    std::vector<VoiceParameters> voices;
    for (unsigned seed = 1; seed <= 1000; ++seed)
        voices.push_back(test::RandomVoice(seed).make());

    const double plain = microsecondsPerVoice(voices, rounds, [](const VoiceParameters& v) {
        return static_cast<unsigned>(encodeDump(v)[590]);
    });
    const double checked = microsecondsPerVoice(voices, rounds, [](const VoiceParameters& v) {
        const CheckedDump c = encodeCheckedDump(v);
        return static_cast<unsigned>(c.dump[590]) + static_cast<unsigned>(c.fault.size());
    });
    const double cableMicroseconds = 592 * 10 * 1e6 / 31250;
    std::printf("encodeDump          %8.2f us per voice (median of %d rounds of %zu voices)\n", plain, rounds,
                voices.size());
    std::printf("encodeCheckedDump   %8.2f us per voice\n", checked);
    std::printf("the check adds      %8.2f us, %.4f %% of the %.0f ms a voice takes on a MIDI cable\n",
                checked - plain, 100 * (checked - plain) / cableMicroseconds, cableMicroseconds / 1000);
    return 0;
}
