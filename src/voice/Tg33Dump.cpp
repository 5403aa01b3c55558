#include "Tg33Dump.h"

#include "VoiceData.h"

#include <algorithm>
#include <numeric>

namespace morvane {

namespace {

// Bytes 6 to 602, the part the byte count covers.
constexpr std::uint8_t kCountHigh = (kTg33DumpSize - 8) >> 7;
constexpr std::uint8_t kCountLow = (kTg33DumpSize - 8) & 0x7F;
static_assert(kCountHigh == 0x04 && kCountLow == 0x55);
static_assert(7 * kTg33DepthStep <= 2 * 127, "every effect depth fits the two depth bytes");

// The header before the voice, then the checksum that makes bytes 6 to 603
// sum to a multiple of 128, and F7.
void frame(Tg33Dump& tg, int midiChannel)
{
    tg[0] = kSysExStart;
    tg[1] = kYamahaId;
    tg[kDeviceByte] = static_cast<std::uint8_t>(midiChannel & 0x0F);
    tg[3] = kDumpFormat;
    tg[4] = kCountHigh;
    tg[5] = kCountLow;
    std::copy(kTg33FormatId.begin(), kTg33FormatId.end(), tg.begin() + kFormatIdOffset);
    const unsigned sum = std::accumulate(tg.begin() + kFormatIdOffset, tg.end() - 2, 0u);
    tg[kTg33DumpSize - 2] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    tg[kTg33DumpSize - 1] = kSysExEnd;
}

void move(const std::uint8_t* sy, std::size_t from, Tg33Dump& tg, std::size_t to, std::size_t size)
{
    std::copy(sy + from, sy + from + size, tg.begin() + static_cast<std::ptrdiff_t>(to));
}

} // namespace

Tg33Dump tg33DumpFromSy(const std::uint8_t* sy, int midiChannel)
{
    Tg33Dump tg{};
    tg[kTg33Map.voiceConfig] = sy[kSyMap.voiceConfig] & 1;
    tg[kTg33EffectType] = sy[kSyEffect] & 0x0F;
    const int depth = ((sy[kSyEffect] >> 4) & 7) * kTg33DepthStep;
    tg[kTg33DepthBytes[0]] = static_cast<std::uint8_t>(std::min(depth, 127));
    tg[kTg33DepthBytes[1]] = static_cast<std::uint8_t>(depth - tg[kTg33DepthBytes[0]]);
    move(sy, kSyMap.name, tg, kTg33Map.name, kNameSize);
    move(sy, kSyMap.controls, tg, kTg33Map.controls, kControlsSize);
    const std::size_t blockSize[4] = {kAwmBlockSize, kFmBlockSize, kAwmBlockSize, kFmBlockSize};
    for (int i = 0; i < 4; ++i)
        move(sy, kSyMap.elements[i], tg, kTg33Map.elements[i], blockSize[i]);
    move(sy, kSyMap.vectors, tg, kTg33Map.vectors, kVectorsSize);
    frame(tg, midiChannel);
    return tg;
}

Tg33Dump encodeTg33Dump(const VoiceParameters& voice, int midiChannel)
{
    return tg33DumpFromSy(encodeDump(voice).data(), midiChannel);
}

Tg33Dump tg33DumpOfVoice(const std::uint8_t* voice)
{
    Tg33Dump tg{};
    std::copy(voice, voice + kTg33VoiceSize, tg.begin() + kTg33VoiceStart);
    frame(tg, 0);
    return tg;
}

} // namespace morvane
