// The 592-byte bulk dump of any voice, for tests that compare voices or
// hand a dump to the code under test.
#pragma once

#include "VoiceData.h"

#include <cstdint>
#include <vector>

namespace morvane::test {

inline std::vector<std::uint8_t> encodedVoice(const VoiceParameters& voice)
{
    const VoiceDump dump = encodeDump(voice);
    return {dump.begin(), dump.end()};
}

} // namespace morvane::test
