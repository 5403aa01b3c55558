#include "Tg33Dump.h"

#include "VoiceData.h"

#include <algorithm>
#include <numeric>

namespace morvane {

namespace {

static_assert(7 * kTg33DepthStep <= 2 * 127, "every effect depth fits the two depth bytes");

void move(const std::uint8_t* sy, std::size_t from, Tg33Dump& tg, std::size_t to, std::size_t size)
{
    std::copy(sy + from, sy + from + size, tg.begin() + static_cast<std::ptrdiff_t>(to));
}

} // namespace

Tg33Dump tg33DumpFromSy(const std::uint8_t* sy, int midiChannel)
{
    Tg33Dump tg{};
    // The common fields by value (the two layouts keep the effect
    // differently), the element blocks and the vectors as they are.
    for (const Field<VoiceCommonParams>& f : kCommonFields) {
        if (f.sy.packing == Packing::Text)
            move(sy, f.sy.at, tg, f.tg.at, f.sy.bits);
        else
            writePlace(tg.data(), f.tg, f.tg.at, readPlace(sy, f.sy, f.sy.at));
    }
    const std::size_t blockSize[4] = {kAwmBlockSize, kFmBlockSize, kAwmBlockSize, kFmBlockSize};
    for (int i = 0; i < 4; ++i)
        move(sy, kSyMap.elements[i], tg, kTg33Map.elements[i], blockSize[i]);
    move(sy, kSyMap.vectors, tg, kTg33Map.vectors, kVectorsSize);
    frameVoice(tg.data(), DumpLayout::Tg33, deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel)));
    return tg;
}

Tg33Dump encodeTg33Dump(const VoiceParameters& voice, int midiChannel)
{
    Tg33Dump tg;
    encodeVoice(voice, DumpLayout::Tg33, deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel)), tg.data());
    return tg;
}

Tg33Dump tg33DumpOfVoice(const std::uint8_t* voice)
{
    Tg33Dump tg{};
    std::copy(voice, voice + kTg33VoiceSize, tg.begin() + kTg33VoiceStart);
    frameVoice(tg.data(), DumpLayout::Tg33, deviceByte(DeviceKind::Dump, MidiChannel()));
    return tg;
}

} // namespace morvane
