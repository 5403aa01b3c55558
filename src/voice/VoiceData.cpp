#include "VoiceData.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace morvane {

namespace {

static_assert(kSyMap.vectors + kVectorsSize + 5 == kSyDumpSize, "then 0x00, a split 0, checksum and F7");

constexpr unsigned lowBits(int n) { return (1u << n) - 1; }

int decodeValue(unsigned raw, const Place& p, Code code)
{
    const int v = static_cast<int>(raw);
    switch (code) {
    case Code::Signed: {
        const int width = p.packing == Packing::Bits ? p.bits : 8;
        return v >= (1 << (width - 1)) ? v - (1 << width) : v;
    }
    case Code::PlusEleven:
        return v > 5 ? v - 11 : v;
    case Code::ZeroIsSixteen:
        return v == 0 ? 16 : v;
    case Code::Unsigned:
        break;
    }
    return v;
}

unsigned encodeValue(int value, Code code)
{
    if (code == Code::PlusEleven && value < 0)
        value += 11;
    return static_cast<unsigned>(value);
}

// Visits every row of a layout, named or not, with the voice's record for
// its block and the place of each entry in the message: `Codec` provides
// text(field, record, at) and entry(table, field, record, i, at).
template <typename Codec>
struct CodecWalk {
    Codec& codec;
    DumpLayout layout;
    VoiceParameters& voice;

    void group(const char*, auto body) { body(); }
    template <typename R, std::size_t N>
    void rows(const std::array<Field<R>, N>& table, std::size_t base, auto get)
    {
        R& record = get(voice);
        for (const Field<R>& f : table) {
            const Place& p = f.place(layout);
            if (p.packing == Packing::Text)
                codec.text(p, record.*f.member.chars, base + p.at);
            else
                for (int i = 0; i < f.count; ++i)
                    codec.entry(table, f, p, record, i, base + p.at + static_cast<std::size_t>(i) * f.stride);
        }
    }
};

// Reads the message into the voice.
struct Decoder {
    const std::uint8_t* message;

    void text(const Place& p, char* chars, std::size_t at) { std::memcpy(chars, message + at, p.bits); }
    template <typename R, std::size_t N>
    void entry(const std::array<Field<R>, N>&, const Field<R>& f, const Place& p, R& record, int i, std::size_t at)
    {
        const int v = decodeValue(readPlace(message, p, at), p, f.code);
        withMember(record, f.member, i, [v](auto& field) { field = static_cast<std::remove_reference_t<decltype(field)>>(v); });
    }
};

// Writes the voice into a message whose field bytes are 0.
struct Encoder {
    std::uint8_t* message;

    void text(const Place& p, const char* chars, std::size_t at)
    {
        for (std::size_t c = 0; c < p.bits; ++c)
            message[at + c] = static_cast<std::uint8_t>(chars[c]) & 0x7F;
    }
    template <typename R, std::size_t N>
    void entry(const std::array<Field<R>, N>& table, const Field<R>& f, const Place& p, R& record, int i,
               std::size_t at)
    {
        int v = 0;
        if (f.sent == Sent::Value)
            withMember(record, f.member, i, [&v](auto& field) { v = static_cast<int>(field); });
        else if (f.sent == Sent::WhenSet) {
            // Set when the source field goes out as anything but 0.
            const Field<R>& source = table[f.source];
            withMember(record, source.member, i, [&](auto& field) {
                const unsigned sent = encodeValue(static_cast<int>(field), source.code) & lowBits(source.sy.bits);
                v = sent != 0 ? 1 : 0;
            });
        }
        writePlace(message, p, at, encodeValue(v, f.code));
    }
};

// The first byte of every pair that carries one 8-bit value across two
// bytes: the split values, and the packed pairs whose first byte holds a
// value's top bit. The inner checksum counts each pair as one value.
struct PairWalk {
    std::array<bool, kSyDumpSize> at{};
    constexpr void group(const char*, auto body) { body(); }
    template <typename R, std::size_t N>
    constexpr void rows(const std::array<Field<R>, N>& table, std::size_t base, auto)
    {
        for (const Field<R>& f : table)
            for (int i = 0; i < f.count; ++i)
                if (f.sy.packing == Packing::Split || f.sy.packing == Packing::TopBit || f.sy.pairsWithNext)
                    at[base + f.sy.at + static_cast<std::size_t>(i) * f.stride] = true;
    }
};

constexpr std::size_t kInnerSumFirst = kFormatIdOffset + kSyFormatId.size();
constexpr std::size_t kInnerSumLast = kSyMap.vectors + kVectorsSize - 1;
constexpr std::array<bool, kSyDumpSize> kPairStarts = [] {
    PairWalk w;
    walkVoiceLayout(w, DumpLayout::Sy);
    for (const FrameBytes& f : kSyFrame)
        if (f.pairsWithNext)
            w.at[f.at] = true;
    return w.at;
}();

constexpr bool pairsAreApart()
{
    for (std::size_t i = 0; i + 1 < kSyDumpSize; ++i)
        if (kPairStarts[i] && kPairStarts[i + 1])
            return false;
    return !kPairStarts[kInnerSumFirst - 1] && !kPairStarts[kInnerSumLast];
}
static_assert(pairsAreApart(), "two pairs overlap, or one crosses the summed range");
static_assert(kInnerSumLast == 586 && kInnerChecksumAt == 588);

// A vector that never moves is marked as ending at its first step.
void settleStillVector(VectorParams& v)
{
    bool still = true;
    for (int step = 1; step < kVectorSteps && still; ++step)
        still = v.cdPosition[step] == v.cdPosition[0] && v.abPosition[step] == v.abPosition[0];
    if (still)
        v.stepTime[0] = kStepEnd;
}

// The bytes of the frame, except the checksums, which come last.
void writeFrame(std::uint8_t* message, DumpLayout layout, std::uint8_t device)
{
    const MessageMap& map = messageMap(layout);
    for (const FrameBytes& f : frameOf(layout)) {
        switch (f.role) {
        case FrameRole::Fixed:
            message[f.at] = f.value;
            break;
        case FrameRole::Device:
            message[f.at] = device;
            break;
        case FrameRole::ByteCount: {
            const std::size_t count = map.size - kFormatIdOffset - 2;
            message[f.at] = static_cast<std::uint8_t>((count >> 7) & 0x7F);
            message[f.at + 1] = static_cast<std::uint8_t>(count & 0x7F);
            break;
        }
        case FrameRole::FormatId:
            std::copy(map.formatId.begin(), map.formatId.end(), message + f.at);
            break;
        case FrameRole::InnerChecksum:
        case FrameRole::OuterChecksum:
        case FrameRole::NotRead:
            break;
        }
    }
}

// The checksums, once every other byte is in place.
void writeChecksums(std::uint8_t* message, DumpLayout layout)
{
    for (const FrameBytes& f : frameOf(layout)) {
        if (f.role == FrameRole::InnerChecksum) {
            const std::uint8_t sum = innerChecksum(message);
            message[f.at] = splitHigh(sum);
            message[f.at + 1] = splitLow(sum);
        }
    }
    for (const FrameBytes& f : frameOf(layout)) {
        if (f.role == FrameRole::OuterChecksum) {
            // Makes bytes 6 up to and including it a multiple of 128.
            const unsigned sum = std::accumulate(message + kFormatIdOffset, message + f.at, 0u);
            message[f.at] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
        }
    }
}

} // namespace

// The number a place holds in a message, before its code is applied. Every
// byte of a message that reaches this is below 0x80.
unsigned readPlace(const std::uint8_t* message, const Place& p, std::size_t at)
{
    const std::uint8_t* b = message + at;
    switch (p.packing) {
    case Packing::Bits:
        return (b[0] >> p.shift) & lowBits(p.read);
    case Packing::Split:
        return joinSplit(b[0], b[1]);
    case Packing::TopBit:
        return (static_cast<unsigned>(b[0]) << (p.bits - 1)) + ((b[1] >> p.shift) & lowBits(p.bits - 1));
    case Packing::DepthSum:
        return static_cast<unsigned>(b[0] + message[at - p.at + p.second]) / kTg33DepthStep;
    case Packing::Text:
        break;
    }
    return 0;
}

// Puts a number into its place; the bits of the place are 0 before.
void writePlace(std::uint8_t* message, const Place& p, std::size_t at, unsigned value)
{
    std::uint8_t* b = message + at;
    switch (p.packing) {
    case Packing::Bits:
        b[0] = static_cast<std::uint8_t>(b[0] | ((value & lowBits(p.bits)) << p.shift));
        break;
    case Packing::Split:
        b[0] = splitHigh(static_cast<std::uint8_t>(value));
        b[1] = splitLow(static_cast<std::uint8_t>(value));
        break;
    case Packing::TopBit:
        b[0] = static_cast<std::uint8_t>((value >> (p.bits - 1)) & 1);
        b[1] = static_cast<std::uint8_t>(b[1] | ((value & lowBits(p.bits - 1)) << p.shift));
        break;
    case Packing::DepthSum: {
        const int depth = static_cast<int>(value & 7) * kTg33DepthStep;
        b[0] = static_cast<std::uint8_t>(std::min(depth, 127));
        message[at - p.at + p.second] = static_cast<std::uint8_t>(depth - b[0]);
        break;
    }
    case Packing::Text:
        break;
    }
}

void encodeVoice(const VoiceParameters& voice, DumpLayout layout, std::uint8_t device, std::uint8_t* message)
{
    std::fill(message, message + dumpSize(layout), std::uint8_t{0});
    writeFrame(message, layout, device);
    VoiceParameters copy = voice;
    Encoder encoder{message};
    CodecWalk<Encoder> walk{encoder, layout, copy};
    walkVoiceLayout(walk, layout);
    writeChecksums(message, layout);
}

void frameVoice(std::uint8_t* message, DumpLayout layout, std::uint8_t device)
{
    writeFrame(message, layout, device);
    writeChecksums(message, layout);
}

DumpLayout dumpLayout(const std::uint8_t* message, std::size_t length)
{
    const std::size_t idEnd = kFormatIdOffset + kTg33FormatId.size();
    if (length >= idEnd
        && std::equal(kTg33FormatId.begin(), kTg33FormatId.end(), message + kFormatIdOffset))
        return DumpLayout::Tg33;
    return DumpLayout::Sy;
}

std::optional<DumpLayout> voiceDumpLayout(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kSyDumpSize)
        return std::nullopt;
    const DumpLayout layout = dumpLayout(data, size);
    const std::string_view id = layout == DumpLayout::Tg33 ? kTg33FormatId : kSyFormatId;
    if (size != dumpSize(layout)
        || data[0] != kSysExStart || data[1] != kYamahaId || (data[kDeviceByte] & 0xF0) != 0
        || data[3] != kDumpFormat || data[size - 1] != kSysExEnd
        || !std::equal(id.begin(), id.end(), data + kFormatIdOffset))
        return std::nullopt;
    if (std::any_of(data + 1, data + size - 1, [](std::uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    return layout;
}

std::array<std::uint8_t, kRequestSize> dumpRequest(Model model, MidiChannel channel)
{
    const std::string_view id = model == Model::Tg33 ? kTg33FormatId : kSyFormatId;
    std::array<std::uint8_t, kRequestSize> request{};
    request[0] = kSysExStart;
    request[1] = kYamahaId;
    request[kDeviceByte] = deviceByte(DeviceKind::Request, channel);
    request[3] = kDumpFormat;
    std::copy(id.begin(), id.end(), request.begin() + 4);  // no byte count in a request
    request[14] = kSysExEnd;
    return request;
}

VoiceData::VoiceData(VoiceParameters& voice) : voice_(voice)
{
    resetParameters();
}

void VoiceData::resetParameters()
{
    voice_ = VoiceParameters{};
    std::memcpy(voice_.common.name, "12345678", sizeof voice_.common.name);
}

std::uint8_t innerChecksum(const std::uint8_t* message)
{
    std::uint8_t sum = 0;
    for (std::size_t i = kInnerSumFirst; i <= kInnerSumLast; ++i) {
        if (kPairStarts[i]) {
            sum = static_cast<std::uint8_t>(sum + message[i] * 128 + message[i + 1]);
            ++i;
        } else {
            sum = static_cast<std::uint8_t>(sum + message[i]);
        }
    }
    return static_cast<std::uint8_t>(-sum);
}

VoiceDump encodeDump(const VoiceParameters& voice)
{
    VoiceDump dump;
    encodeVoice(voice, DumpLayout::Sy, deviceByte(DeviceKind::Dump, MidiChannel()), dump.data());
    return dump;
}

bool VoiceData::decodeDump(const std::uint8_t* message, std::size_t length)
{
    const std::optional<DumpLayout> checked = voiceDumpLayout(message, length);
    if (!checked)
        return false;
    const DumpLayout layout = *checked;

    Decoder decoder{message};
    CodecWalk<Decoder> walk{decoder, layout, voice_};
    walkVoiceLayout(walk, layout);
    voice_.common.nameTerminator = 0;
    settleStillVector(voice_.levelVector);
    settleStillVector(voice_.detuneVector);
    return true;
}

} // namespace morvane
