#include "Tg33Dump.h"

#include <algorithm>
#include <numeric>

namespace morvane {

namespace {

// One block moved from the SY layout to the TG-33 layout.
struct Move {
    std::size_t from;
    std::size_t to;
    std::size_t size;
};

// The element blocks and everything after them keep their inner layout; each
// element block is followed by two bytes the decoder skips.
constexpr Move kMoves[] = {
    {37, 45, 27},     // element A
    {64, 74, 47},     // element B
    {111, 123, 27},   // element C
    {138, 152, 47},   // element D
    {185, 201, 402},  // both vector speeds, both vectors
    {19, 28, 8},      // voice name
    {28, 36, 9},      // bend range, switches, aftertouch pitch, envelope delay, attack, release
};

constexpr bool movesFit()
{
    for (const Move& m : kMoves)
        if (m.from + m.size > kSyDumpSize - 5 || m.to + m.size > kTg33DumpSize - 2)
            return false;
    return kMoves[0].to + kMoves[0].size + 2 == kMoves[1].to && kMoves[1].to + kMoves[1].size + 2 == kMoves[2].to
           && kMoves[2].to + kMoves[2].size + 2 == kMoves[3].to && kMoves[3].to + kMoves[3].size + 2 == kMoves[4].to
           && kMoves[4].to + kMoves[4].size == kTg33DumpSize - 2;
}
static_assert(movesFit());

// Bytes 6 to 602, the part the byte count covers.
constexpr std::uint8_t kCountHigh = (kTg33DumpSize - 8) >> 7;
constexpr std::uint8_t kCountLow = (kTg33DumpSize - 8) & 0x7F;
static_assert(kCountHigh == 0x04 && kCountLow == 0x55);

// The TG-33 splits the effect depth over two bytes whose sum, divided by 36,
// gives it back.
constexpr int kDepthStep = 36;
static_assert(7 * kDepthStep <= 2 * 127);

} // namespace

std::array<std::uint8_t, kTg33DumpSize> encodeTg33Dump(const VoiceParameters& voice, int midiChannel)
{
    const VoiceDump syDump = encodeDump(voice);
    const std::uint8_t* sy = syDump.data();
    std::array<std::uint8_t, kTg33DumpSize> tg{};
    tg[0] = kSysExStart;
    tg[1] = kYamahaId;
    tg[kDeviceByte] = static_cast<std::uint8_t>(midiChannel & 0x0F);
    tg[3] = kDumpFormat;
    tg[4] = kCountHigh;
    tg[5] = kCountLow;
    std::copy(kTg33FormatId.begin(), kTg33FormatId.end(), tg.begin() + kFormatIdOffset);

    tg[16] = sy[27] & 1;                 // voice configuration
    tg[17] = sy[18] & 0x0F;              // effect type
    const int depth = ((sy[18] >> 4) & 7) * kDepthStep;
    tg[18] = static_cast<std::uint8_t>(std::min(depth, 127));
    tg[22] = static_cast<std::uint8_t>(depth - tg[18]);
    for (const Move& m : kMoves)
        std::copy(sy + m.from, sy + m.from + m.size, tg.begin() + static_cast<std::ptrdiff_t>(m.to));

    const unsigned sum = std::accumulate(tg.begin() + kFormatIdOffset, tg.end() - 2, 0u);
    tg[kTg33DumpSize - 2] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    tg[kTg33DumpSize - 1] = kSysExEnd;
    return tg;
}

} // namespace morvane
