#include "VoiceParameters.h"

namespace morvane {

void updatePeakStage(EnvelopeParams& envelope)
{
    const std::uint8_t levels[4] = {envelope.initialLevel, envelope.attackLevel,
                                    envelope.decay1Level, envelope.decay2Level};
    std::uint8_t stage = 0;
    for (std::uint8_t i = 1; i < 4; ++i) {
        if (levels[i] < levels[stage])
            stage = i;
    }
    envelope.peakStage = stage;
}

} // namespace morvane
