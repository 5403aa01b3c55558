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

std::string voiceNameProblem(std::string_view name)
{
    if (name.empty())
        return "a voice name needs at least one character";
    for (char ch : name)
        if (ch < 0x20 || ch > 0x7E)
            return "a voice name may hold printable ASCII characters only";
    if (name.size() > sizeof(VoiceCommonParams::name))
        return "a voice name has at most 8 characters";
    return {};
}

void setVoiceName(VoiceCommonParams& common, std::string_view name)
{
    for (std::size_t i = 0; i < sizeof common.name; ++i)
        common.name[i] = i < name.size() ? name[i] : ' ';
}

} // namespace morvane
