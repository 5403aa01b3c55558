#include "DumpCheck.h"

#include "VoiceFields.h"

#include <array>
#include <numeric>

namespace morvane {

namespace {

// Every field of the walk in walk order, with its range; the name as seven-
// bit characters, as it travels.
struct FlatVoice {
    struct Value {
        int value, min, max;
    };
    // More than every field of a voice; what would not fit is a fault of
    // the walk, and makes the check fail rather than pass unread.
    std::array<Value, 1024> values;
    std::size_t count = 0;
    bool overflow = false;

    void add(int value, int min, int max)
    {
        if (count < values.size())
            values[count++] = {value, min, max};
        else
            overflow = true;
    }
    void group(const char*, auto body) { body(); }
    void field(const char*, auto value, int min, int max) { add(static_cast<int>(value), min, max); }
    void text(const char*, const char* chars, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i)
            add(static_cast<unsigned char>(chars[i]) & 0x7F, 0, 127);
    }
    void steps(const char*, const auto* array, int count, int min, int max)
    {
        for (int i = 0; i < count; ++i)
            add(static_cast<int>(array[i]), min, max);
    }
};

// The place in words of the walk's field number `wanted`.
struct FieldNamer : detail::PathVisitor {
    explicit FieldNamer(std::size_t index) : wanted(index) {}
    std::size_t wanted, at = 0;
    std::string found;

    void field(const std::string& name, auto, int, int)
    {
        if (at++ == wanted)
            found = path + name;
    }
    void text(const char* name, const char*, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i)
            field(std::string(name) + "[" + std::to_string(i) + "]", 0, 0, 0);
    }
    void steps(const char* name, const auto*, int count, int, int)
    {
        for (int i = 0; i < count; ++i)
            field(std::string(name) + "[" + std::to_string(i) + "]", 0, 0, 0);
    }
};

void flatten(VoiceParameters voice, FlatVoice& flat)
{
    visitVoice(voice, flat);
}

std::string nameOfField(VoiceParameters voice, std::size_t index)
{
    FieldNamer namer(index);
    visitVoice(voice, namer);
    return namer.found;
}

// What the decoder is meant to give back for `voice`, given what it did
// give back: the parts that do not travel, or that the decoder sets by a
// rule of its own, are taken from `decoded`.
// Fields the layout reads but never sends.
struct NotSentTaker {
    VoiceParameters& voice;
    VoiceParameters& decoded;

    void group(const char*, auto body) { body(); }
    template <typename R, std::size_t N>
    void rows(const std::array<Field<R>, N>& rows, std::size_t, auto get)
    {
        for (const Field<R>& row : rows) {
            if (row.sent != Sent::Zero)
                continue;
            for (int i = 0; i < row.count; ++i)
                withMember(get(decoded), row.member, i,
                           [&](const auto& from) { withMember(get(voice), row.member, i, [&](auto& to) { to = from; }); });
        }
    }
};

VoiceParameters asItTravels(VoiceParameters voice, VoiceParameters decoded)
{
    NotSentTaker taker{voice, decoded};
    walkVoiceLayout(taker, DumpLayout::Sy);
    // A vector that never moves reads back as ending at its first step.
    for (auto [v, d] : {std::pair<VectorParams*, const VectorParams*>{&voice.levelVector, &decoded.levelVector},
                        {&voice.detuneVector, &decoded.detuneVector}}) {
        bool still = true;
        for (int step = 1; step < kVectorSteps && still; ++step)
            still = d->cdPosition[step] == d->cdPosition[0] && d->abPosition[step] == d->abPosition[0];
        if (still)
            v->stepTime[0] = kStepEnd;
    }
    return voice;
}

std::string checkMessage(const VoiceDump& dump)
{
    if (voiceDumpLayout(dump.data(), dump.size()) != DumpLayout::Sy)
        return "it is not a voice dump in the SY layout";
    const std::size_t checksumAt = dump.size() - 2;
    const unsigned sum = std::accumulate(dump.begin() + kFormatIdOffset, dump.begin() + checksumAt + 1, 0u);
    if (sum % 128 != 0)
        return "its checksum is wrong";
    const std::uint8_t inner = innerChecksum(dump.data());
    if (dump[kInnerChecksumAt] != splitHigh(inner) || dump[kInnerChecksumAt + 1] != splitLow(inner))
        return "its inner checksum is wrong";
    return {};
}

} // namespace

std::string checkDump(const VoiceParameters& voice, const VoiceDump& dump)
{
    if (std::string fault = checkMessage(dump); !fault.empty())
        return kDumpFaultLead + fault;
    VoiceParameters decoded;
    VoiceData reader(decoded);
    if (!reader.decodeDump(dump.data(), dump.size()))
        return std::string(kDumpFaultLead) + "it does not decode";
    FlatVoice expected, got;
    flatten(asItTravels(voice, decoded), expected);
    flatten(decoded, got);
    if (expected.overflow || got.overflow || expected.count != got.count)
        return std::string(kDumpFaultLead) + "the voice has more fields than the check can hold";
    for (std::size_t i = 0; i < expected.count; ++i) {
        const FlatVoice::Value& want = expected.values[i];
        if (want.value < want.min || want.value > want.max)
            continue;   // masked to the width it travels in
        if (got.values[i].value != want.value)
            return kDumpFaultLead + nameOfField(voice, i) + " reads back as " + std::to_string(got.values[i].value)
                   + ", not " + std::to_string(want.value);
    }
    return {};
}

CheckedDump encodeCheckedDump(const VoiceParameters& voice)
{
    CheckedDump checked{encodeDump(voice), {}};
    checked.fault = checkDump(voice, checked.dump);
    return checked;
}

} // namespace morvane
