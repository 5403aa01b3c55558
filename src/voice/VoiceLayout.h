// The one table of the voice's fields. Each row names one field of the voice
// record and says everything the program knows about it: where it travels in
// each dump layout and how it is packed there, its stored range, how its
// number is shown (a bar or a drawing may show it its own way), how randomise and blend treat it, the words a user reads
// for it (an undo step's name) and its key in the voice tool's JSON.
//
// The codec (VoiceData.cpp), the walk over the named fields (VoiceFields.h),
// the inner checksum's pairs and the places other parts of the program need
// (the name, the effect byte) are all read from these rows; the checks at
// the end prove, at compile time, that in each layout no two fields share a
// bit and every byte is a field, a fixed byte or a checksum.
#pragma once

#include "DumpFormat.h"
#include "VoiceParameters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace morvane {

// shown = sign × stored + offset, and back.
struct ShownForm {
    int sign;
    int offset;
    constexpr int shown(int stored) const { return sign * stored + offset; }
    constexpr int stored(int shown) const { return sign * (shown - offset); }
    constexpr bool operator==(const ShownForm&) const = default;
};

inline constexpr ShownForm kAsStored{1, 0};
inline constexpr ShownForm kInverted127{-1, 127};  // levels, LFO rate: attenuations
inline constexpr ShownForm kInverted4{-1, 4};      // pan
inline constexpr ShownForm kInverted62{-1, 62};    // vector track bars, drawn upwards
inline constexpr ShownForm kIndexFromOne{1, -1};   // list item = stored − 1 (vector speed)

static_assert(kInverted127.stored(kInverted127.shown(5)) == 5);
static_assert(kInverted4.shown(4) == 0 && kInverted4.shown(0) == 4);

// How a transformation treats a field.
//   Number  a quantity: randomise moves it, blend weighs it.
//   Choice  a switch or a list choice: randomise moves it along the list like
//           a number, blend takes it from the heavier voice. A field is a
//           choice when it is a switch (range 0-1) or when it picks one of a
//           list whose order means nothing to the ear: waveform, opWaveform,
//           lfoWaveform, envType, effectType, voiceConfig, temperament.
//   Derived a field that follows from others: peakStage, the envelope's
//           loudest stage, which is worked out again when the levels change.
// A vector's step time is a number while it is a length (0-253); the markers
// 254 (repeat) and 255 (end) give the vector its shape and are choices.
enum class FieldKind { Number, Choice, Derived };

// How a value travels in the 7-bit bytes of a dump.
enum class Packing : std::uint8_t {
    Bits,      // `bits` bits from bit `shift` of byte `at`: a whole byte, a nibble or one bit
    Split,     // an 8-bit value over two bytes: bit 7 in `at`, bits 6-0 in `at + 1`
    TopBit,    // the value's top bit is byte `at`; its `bits - 1` lower bits sit from bit
               // `shift` of byte `at + 1`
    Text,      // `bits` characters from `at`, one a byte
    DepthSum,  // two bytes, `at` and `second`, whose sum divided by 36 is the value
};

// How a value below zero, or one with a value of its own for "none", is
// written in its bits.
enum class Code : std::uint8_t {
    Unsigned,
    Signed,         // two's complement in the packed width (8 bits when split)
    PlusEleven,     // -5..-1 travel as 6..10
    ZeroIsSixteen,  // 16 travels as 0
};

// What the encoder writes for a field.
enum class Sent : std::uint8_t {
    Value,     // the field's value
    Zero,      // nothing: the field is read but never sent
    WhenSet,   // 1 exactly when the field in row `source` of the same block goes out as
               // anything but 0
};

struct Place {
    Packing packing = Packing::Bits;
    std::uint8_t at = 0;      // from the start of the block
    std::uint8_t shift = 0;
    std::uint8_t bits = 7;    // the width written (Text: characters)
    std::uint8_t read = 7;    // Bits: the width read back from `shift`
    std::uint8_t second = 0;  // DepthSum: the other byte
    // The inner checksum counts this byte and the next as one 8-bit value,
    // as the instrument keeps them: one bit switch above the byte after it.
    bool pairsWithNext = false;
};

constexpr Place bitsAt(int at, int shift, int bits, int read)
{
    return {Packing::Bits, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(shift),
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(read)};
}
constexpr Place bitsAt(int at, int shift, int bits) { return bitsAt(at, shift, bits, bits); }
// A whole byte; `bits` written, all seven read back.
constexpr Place byteAt(int at, int bits = 7) { return bitsAt(at, 0, bits, 7); }
// A switch in bit 0 of a byte of its own that pairs with the next one.
constexpr Place pairedSwitchAt(int at, int read = 7)
{
    Place p = bitsAt(at, 0, 1, read);
    p.pairsWithNext = true;
    return p;
}
constexpr Place splitAt(int at) { return {Packing::Split, static_cast<std::uint8_t>(at), 0, 8, 8}; }
constexpr Place topBitAt(int at, int shift, int bits)
{
    return {Packing::TopBit, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(shift),
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits)};
}
constexpr Place textAt(int at, int size)
{
    return {Packing::Text, static_cast<std::uint8_t>(at), 0, static_cast<std::uint8_t>(size), 7};
}
constexpr Place depthSumAt(int at, int second)
{
    return {Packing::DepthSum, static_cast<std::uint8_t>(at), 0, 8, 8, static_cast<std::uint8_t>(second)};
}
constexpr Place shifted(Place p, int by)
{
    p.at = static_cast<std::uint8_t>(p.at + by);
    if (p.packing == Packing::DepthSum)
        p.second = static_cast<std::uint8_t>(p.second + by);
    return p;
}

// The member of a record a row reads and writes.
template <typename R>
struct Member {
    std::uint8_t R::*u8 = nullptr;
    std::int8_t R::*s8 = nullptr;
    std::uint8_t (R::*u8s)[kVectorSteps] = nullptr;
    std::int32_t (R::*s32s)[kVectorSteps] = nullptr;
    char (R::*chars)[8] = nullptr;

    constexpr Member(std::uint8_t R::*m) : u8(m) {}
    constexpr Member(std::int8_t R::*m) : s8(m) {}
    constexpr Member(std::uint8_t (R::*m)[kVectorSteps]) : u8s(m) {}
    constexpr Member(std::int32_t (R::*m)[kVectorSteps]) : s32s(m) {}
    constexpr Member(char (R::*m)[8]) : chars(m) {}
};

// Calls fn(value&) with entry `i` of the member (0 unless it is a vector's
// steps); a voice name is not passed (see Packing::Text).
template <typename R, typename Fn>
constexpr void withMember(R& record, const Member<R>& m, int i, Fn&& fn)
{
    if (m.u8)
        fn(record.*m.u8);
    else if (m.s8)
        fn(record.*m.s8);
    else if (m.u8s)
        fn((record.*m.u8s)[i]);
    else if (m.s32s)
        fn((record.*m.s32s)[i]);
}

template <typename R>
struct Field {
    std::string_view key;    // the voice tool's JSON key, and the field's part of its path
    std::string_view words;  // what a user reads: "Attack rate"
    Member<R> member;
    Place sy;                // where it travels in an SY-layout dump, from the block's start
    Place tg;                // the same in a TG-33-layout dump
    int min;
    int max;
    FieldKind kind = FieldKind::Number;
    ShownForm shown = kAsStored;
    Code code = Code::Unsigned;
    Sent sent = Sent::Value;
    std::uint8_t source = 0;
    bool named = true;       // a field of the voice that users see; otherwise only read
    std::uint8_t count = 1;  // a vector's steps: entries, `stride` bytes apart
    std::uint8_t stride = 0;

    constexpr const Place& place(DumpLayout layout) const { return layout == DumpLayout::Tg33 ? tg : sy; }
};

// Builds a row whose place is the same in both layouts (everything inside
// an element block or the vectors), and marks it up.
template <typename R>
struct Row : Field<R> {
    constexpr Row(std::string_view key, std::string_view words, Member<R> member, Place place, int min, int max)
        : Field<R>{key, words, member, place, place, min, max}
    {
    }
    constexpr Row& choice() { this->kind = FieldKind::Choice; return *this; }
    constexpr Row& derived() { this->kind = FieldKind::Derived; return *this; }
    constexpr Row& shownAs(ShownForm form) { this->shown = form; return *this; }
    constexpr Row& coded(Code c) { this->code = c; return *this; }
    constexpr Row& inTg33(Place place) { this->tg = place; return *this; }
    constexpr Row& notSent() { this->sent = Sent::Zero; return *this; }
    constexpr Row& steps(int count, int stride)
    {
        this->count = static_cast<std::uint8_t>(count);
        this->stride = static_cast<std::uint8_t>(stride);
        return *this;
    }
};

// ---------------------------------------------------------------------------
// The rows. Places inside a block count from the block's first byte.

// The common part, at the same place in every message of a layout; the
// effect and the voice configuration are kept differently in the two.
inline constexpr std::array<Field<VoiceCommonParams>, 14> kCommonFields{{
    Row<VoiceCommonParams>("effectDepth", "Effect depth", &VoiceCommonParams::effectDepth, bitsAt(18, 4, 3), 0, 7)
        .inTg33(depthSumAt(18, 22)),
    Row<VoiceCommonParams>("effectType", "Effect type", &VoiceCommonParams::effectType, bitsAt(18, 0, 4), 0, 15)
        .choice().inTg33(bitsAt(17, 0, 4)),
    Row<VoiceCommonParams>("name", "Name", &VoiceCommonParams::name, textAt(19, 8), 0, 127).inTg33(textAt(28, 8)),
    Row<VoiceCommonParams>("voiceConfig", "Voice config", &VoiceCommonParams::voiceConfig, pairedSwitchAt(27, 1), 0, 1)
        .choice().inTg33(bitsAt(16, 0, 1)),
    Row<VoiceCommonParams>("bendRange", "Bend range", &VoiceCommonParams::bendRange, bitsAt(28, 0, 5), 0, 12)
        .inTg33(bitsAt(36, 0, 5)),
    Row<VoiceCommonParams>("atAm", "Aftertouch AM", &VoiceCommonParams::atAm, bitsAt(29, 4, 1), 0, 1)
        .choice().inTg33(bitsAt(37, 4, 1)),
    Row<VoiceCommonParams>("atPm", "Aftertouch PM", &VoiceCommonParams::atPm, bitsAt(29, 5, 1), 0, 1)
        .choice().inTg33(bitsAt(37, 5, 1)),
    Row<VoiceCommonParams>("atLevel", "Aftertouch level", &VoiceCommonParams::atLevel, bitsAt(29, 6, 1), 0, 1)
        .choice().inTg33(bitsAt(37, 6, 1)),
    Row<VoiceCommonParams>("wheelAm", "Wheel AM", &VoiceCommonParams::wheelAm, bitsAt(29, 0, 1), 0, 1)
        .choice().inTg33(bitsAt(37, 0, 1)),
    Row<VoiceCommonParams>("wheelPm", "Wheel PM", &VoiceCommonParams::wheelPm, bitsAt(29, 1, 1), 0, 1)
        .choice().inTg33(bitsAt(37, 1, 1)),
    Row<VoiceCommonParams>("atPitch", "Aftertouch pitch", &VoiceCommonParams::atPitch, splitAt(30), -12, 12)
        .coded(Code::Signed).inTg33(splitAt(38)),
    Row<VoiceCommonParams>("envDelay", "Envelope delay", &VoiceCommonParams::envDelay, byteAt(32), 0, 127)
        .inTg33(byteAt(40)),
    Row<VoiceCommonParams>("attack", "Attack", &VoiceCommonParams::attack, splitAt(33), -64, 63)
        .coded(Code::Signed).inTg33(splitAt(41)),
    Row<VoiceCommonParams>("release", "Release", &VoiceCommonParams::release, splitAt(35), -64, 63)
        .coded(Code::Signed).inTg33(splitAt(43)),
}};

// An envelope: ten bytes.
inline constexpr std::array<Field<EnvelopeParams>, 10> kEnvelopeFields{{
    Row<EnvelopeParams>("delayOn", "Delay on", &EnvelopeParams::delayOn, pairedSwitchAt(0), 0, 1).choice(),
    Row<EnvelopeParams>("attackRate", "Attack rate", &EnvelopeParams::attackRate, byteAt(1, 6), 0, 63),
    Row<EnvelopeParams>("decay1Rate", "Decay 1 rate", &EnvelopeParams::decay1Rate, bitsAt(3, 0, 6), 0, 63),
    Row<EnvelopeParams>("peakStage", "Peak stage", &EnvelopeParams::peakStage, topBitAt(2, 6, 2), 0, 3).derived(),
    Row<EnvelopeParams>("decay2Rate", "Decay 2 rate", &EnvelopeParams::decay2Rate, byteAt(4, 6), 0, 63),
    Row<EnvelopeParams>("releaseRate", "Release rate", &EnvelopeParams::releaseRate, byteAt(5, 6), 0, 63),
    Row<EnvelopeParams>("initialLevel", "Initial level", &EnvelopeParams::initialLevel, byteAt(6), 0, 127)
        .shownAs(kInverted127),
    Row<EnvelopeParams>("attackLevel", "Attack level", &EnvelopeParams::attackLevel, byteAt(7), 0, 127)
        .shownAs(kInverted127),
    Row<EnvelopeParams>("decay1Level", "Decay 1 level", &EnvelopeParams::decay1Level, byteAt(8), 0, 127)
        .shownAs(kInverted127),
    Row<EnvelopeParams>("decay2Level", "Decay 2 level", &EnvelopeParams::decay2Level, byteAt(9), 0, 127)
        .shownAs(kInverted127),
}};
inline constexpr std::size_t kEnvelopeBlockSize = 10;

// The level, tuning, scaling bytes an AWM element and an FM operator share,
// followed by the envelope.
template <typename R>
constexpr std::array<Field<R>, 5> levelFields()
{
    return {{
        Row<R>("level", "Level", &R::level, byteAt(0), 0, 127).shownAs(kInverted127),
        Row<R>("temperament", "Temperament", &R::temperament, bitsAt(1, 4, 3), 0, 3).choice(),
        Row<R>("detune", "Detune", &R::detune, bitsAt(1, 0, 4), 0, 15),
        Row<R>("levelScaling", "Level scaling", &R::levelScaling, topBitAt(2, 4, 4), 0, 15),
        Row<R>("rateScaling", "Rate scaling", &R::rateScaling, bitsAt(3, 0, 4), 0, 15),
    }};
}
inline constexpr std::size_t kLevelBlockSize = 4;

// The first bytes of an element, up to the pan: an AWM element keeps its wave
// in one byte, an FM element in a split pair. An AWM element has no carrier
// or modulator: its AM byte carries bit 4 exactly when the AM depth is not
// 0 and its PM byte bit 5 exactly when the PM depth is not 0, as the
// instrument writes them; they are read into the record but not shown.
constexpr std::array<Field<ElementParams>, 16> elementHeaderFields(bool fm)
{
    using E = ElementParams;
    const int m = fm ? 4 : 3;  // the response byte
    std::array<Field<E>, 16> rows{{
        fm ? Row<E>("waveform", "Waveform", &E::waveform, splitAt(0), 0, 255).choice()
           : Row<E>("waveform", "Waveform", &E::waveform, byteAt(0), 0, 127).choice(),
        Row<E>("pitch", "Pitch", &E::pitch, splitAt(m - 2), -12, 12).coded(Code::Signed),
        Row<E>("velResp", "Velocity response", &E::velResp, bitsAt(m, 0, 4), -5, 5).coded(Code::PlusEleven),
        Row<E>("atResp", "Aftertouch response", &E::atResp, bitsAt(m, 4, 3), -3, 3).coded(Code::Signed),
        Row<E>("lfoWaveform", "LFO waveform", &E::lfoWaveform, topBitAt(m + 1, 5, 3), 0, 4).choice(),
        Row<E>("lfoSpeed", "LFO speed", &E::lfoSpeed, bitsAt(m + 2, 0, 5), 0, 31),
        Row<E>("lfoDelay", "LFO delay", &E::lfoDelay, splitAt(m + 3), 0, 255),
        Row<E>("lfoRate", "LFO rate", &E::lfoRate, splitAt(m + 5), 0, 255).shownAs(kInverted127),
        Row<E>("lfoAmDepth", "LFO AM depth", &E::lfoAmDepth, bitsAt(m + 7, 0, 4), 0, 15),
        Row<E>("carrierAm", "Carrier AM", &E::carrierAm, bitsAt(m + 7, 5, 1, 2), 0, 1).choice(),
        Row<E>("modulatorAm", "Modulator AM", &E::modulatorAm, bitsAt(m + 7, 4, 1), 0, 1).choice(),
        Row<E>("lfoPmDepth", "LFO PM depth", &E::lfoPmDepth, bitsAt(m + 8, 0, 5), 0, 31),
        Row<E>("carrierPm", "Carrier PM", &E::carrierPm, bitsAt(m + 8, 6, 1), 0, 1).choice(),
        Row<E>("modulatorPm", "Modulator PM", &E::modulatorPm, bitsAt(m + 8, 5, 1), 0, 1).choice(),
        Row<E>("envType", "Envelope type", &E::envType, bitsAt(m + 9, 4, 3), 0, 7).choice().notSent(),
        Row<E>("pan", "Pan", &E::pan, bitsAt(m + 9, 0, 4), 0, 4).shownAs(kInverted4),
    }};
    if (!fm) {
        constexpr int kAmDepth = 8, kCarrierAm = 9, kModulatorAm = 10, kPmDepth = 11, kCarrierPm = 12,
                      kModulatorPm = 13;
        for (int i : {kCarrierAm, kModulatorAm, kCarrierPm, kModulatorPm})
            rows[static_cast<std::size_t>(i)].named = false;
        rows[kCarrierAm].sent = rows[kCarrierPm].sent = Sent::Zero;
        rows[kModulatorAm].sent = rows[kModulatorPm].sent = Sent::WhenSet;
        rows[kModulatorAm].source = kAmDepth;
        rows[kModulatorPm].source = kPmDepth;
    }
    return rows;
}
inline constexpr auto kAwmHeaderFields = elementHeaderFields(false);
inline constexpr auto kFmHeaderFields = elementHeaderFields(true);
inline constexpr std::size_t kAwmHeaderSize = 13;
inline constexpr std::size_t kFmHeaderSize = 14;

inline constexpr auto kAwmLevelFields = levelFields<AwmElementParams>();

inline constexpr std::array<Field<FmElementParams>, 1> kFeedbackFields{{
    Row<FmElementParams>("feedback", "Feedback", &FmElementParams::feedback, byteAt(kFmHeaderSize, 3), 0, 7),
}};

// An FM operator: the frequency bytes, then the level block and envelope.
inline constexpr std::array<Field<FmOperatorParams>, 3> kOperatorFields{{
    Row<FmOperatorParams>("fixedFrequency", "Fixed frequency", &FmOperatorParams::fixedFrequency,
                          pairedSwitchAt(0), 0, 1).choice(),
    Row<FmOperatorParams>("opWaveform", "Operator waveform", &FmOperatorParams::opWaveform, bitsAt(1, 4, 3), 0, 7)
        .choice(),
    Row<FmOperatorParams>("frequency", "Frequency", &FmOperatorParams::frequency, bitsAt(1, 0, 4), 0, 15),
}};
inline constexpr std::size_t kOperatorHead = 2;
inline constexpr auto kOperatorLevelFields = levelFields<FmOperatorParams>();

// The vectors: the two speeds, then the level and the detune vector's steps.
inline constexpr std::array<Field<VoiceParameters>, 2> kVectorSpeedFields{{
    Row<VoiceParameters>("levelVectorSpeed", "Level vector speed", &VoiceParameters::levelVectorSpeed, byteAt(0, 4),
                         1, 16).coded(Code::ZeroIsSixteen).shownAs(kIndexFromOne),
    Row<VoiceParameters>("detuneVectorSpeed", "Detune vector speed", &VoiceParameters::detuneVectorSpeed,
                         byteAt(1, 4), 1, 16).coded(Code::ZeroIsSixteen).shownAs(kIndexFromOne),
}};
inline constexpr std::size_t kStepBlockSize = 4;
inline constexpr std::array<Field<VectorParams>, 3> kVectorFields{{
    Row<VectorParams>("stepTime", "Step time", &VectorParams::stepTime, splitAt(0), 0, 255).steps(kVectorSteps, 4),
    Row<VectorParams>("cdPosition", "CD position", &VectorParams::cdPosition, byteAt(2), 0, 62)
        .steps(kVectorSteps, 4),
    Row<VectorParams>("abPosition", "AB position", &VectorParams::abPosition, byteAt(3), 0, 62)
        .steps(kVectorSteps, 4),
}};

// ---------------------------------------------------------------------------
// Where the blocks sit in a message of each layout. The element blocks and
// the vectors have the same inner layout in both; a TG-33 element block is
// followed by two bytes that are not read.
struct MessageMap {
    std::string_view formatId;
    std::size_t size;
    std::size_t elements[4];     // A (AWM), B (FM), C (AWM), D (FM)
    std::size_t vectors;         // level speed, detune speed, level vector, detune vector
};

inline constexpr std::size_t kAwmBlockSize = kAwmHeaderSize + kLevelBlockSize + kEnvelopeBlockSize;
inline constexpr std::size_t kOperatorBlockSize = kOperatorHead + kLevelBlockSize + kEnvelopeBlockSize;
inline constexpr std::size_t kFmBlockSize = kFmHeaderSize + 1 + 2 * kOperatorBlockSize;
inline constexpr std::size_t kVectorsSize = 2 + 2 * kVectorSteps * kStepBlockSize;
static_assert(kAwmBlockSize == 27 && kFmBlockSize == 47 && kOperatorBlockSize == 16);

inline constexpr MessageMap kSyMap{kSyFormatId, kSyDumpSize, {37, 64, 111, 138}, 185};
inline constexpr MessageMap kTg33Map{kTg33FormatId, kTg33DumpSize, {45, 74, 123, 152}, 201};

constexpr const MessageMap& messageMap(DumpLayout layout)
{
    return layout == DumpLayout::Tg33 ? kTg33Map : kSyMap;
}

// The bytes of a message that are no field: fixed bytes, the device byte,
// the byte count, the identifier and the checksums.
enum class FrameRole : std::uint8_t {
    Fixed,          // `value`
    Device,         // 0n, n the MIDI channel
    ByteCount,      // two bytes: the count of bytes from the identifier to the checksum, split 7-bit
    FormatId,       // the layout's identifier
    InnerChecksum,  // SY: a split value over two bytes (see innerChecksum)
    OuterChecksum,  // makes the bytes from the identifier up to it a multiple of 128
    NotRead,        // TG-33: bytes the program neither reads nor fills (written 0)
};
struct FrameBytes {
    std::uint16_t at;
    std::uint16_t size;
    FrameRole role;
    std::uint8_t value = 0;
    bool pairsWithNext = false;
};

inline constexpr std::array<FrameBytes, 12> kSyFrame{{
    {0, 1, FrameRole::Fixed, kSysExStart},
    {1, 1, FrameRole::Fixed, kYamahaId},
    {kDeviceByte, 1, FrameRole::Device},
    {3, 1, FrameRole::Fixed, kDumpFormat},
    {4, 2, FrameRole::ByteCount},
    {kFormatIdOffset, kSyFormatId.size(), FrameRole::FormatId},
    {16, 1, FrameRole::Fixed, 0x01, true},
    {17, 1, FrameRole::Fixed, 0x25},
    {587, 1, FrameRole::Fixed, 0x00},
    {588, 2, FrameRole::InnerChecksum},
    {590, 1, FrameRole::OuterChecksum},
    {591, 1, FrameRole::Fixed, kSysExEnd},
}};
inline constexpr std::array<FrameBytes, 14> kTg33Frame{{
    {0, 1, FrameRole::Fixed, kSysExStart},
    {1, 1, FrameRole::Fixed, kYamahaId},
    {kDeviceByte, 1, FrameRole::Device},
    {3, 1, FrameRole::Fixed, kDumpFormat},
    {4, 2, FrameRole::ByteCount},
    {kFormatIdOffset, kTg33FormatId.size(), FrameRole::FormatId},
    {19, 3, FrameRole::NotRead},
    {23, 5, FrameRole::NotRead},
    {72, 2, FrameRole::NotRead},
    {121, 2, FrameRole::NotRead},
    {150, 2, FrameRole::NotRead},
    {199, 2, FrameRole::NotRead},
    {603, 1, FrameRole::OuterChecksum},
    {604, 1, FrameRole::Fixed, kSysExEnd},
}};

constexpr std::span<const FrameBytes> frameOf(DumpLayout layout)
{
    return layout == DumpLayout::Tg33 ? std::span<const FrameBytes>(kTg33Frame) : std::span<const FrameBytes>(kSyFrame);
}

// The first byte of a frame part of a layout.
constexpr std::size_t frameAt(DumpLayout layout, FrameRole role)
{
    for (const FrameBytes& f : frameOf(layout))
        if (f.role == role)
            return f.at;
    throw "no such part";  // a compile-time error where it is used in a constant
}

// ---------------------------------------------------------------------------
// The walk over the record's structure: groups in record order, each block's
// rows with the block's first byte in the layout. `w.rows(table, base, get)`
// takes `get`, which returns the block's record from a voice.
template <typename W>
constexpr void walkOperator(W& w, const char* name, std::size_t base, auto get)
{
    w.group(name, [&] {
        w.rows(kOperatorFields, base, get);
        w.rows(kOperatorLevelFields, base + kOperatorHead, get);
        w.group("envelope", [&] {
            w.rows(kEnvelopeFields, base + kOperatorHead + kLevelBlockSize,
                   [get](VoiceParameters& v) -> EnvelopeParams& { return get(v).envelope; });
        });
    });
}

template <typename W>
constexpr void walkAwmElement(W& w, const char* name, std::size_t base, auto get)
{
    w.group(name, [&] {
        w.rows(kAwmHeaderFields, base, [get](VoiceParameters& v) -> ElementParams& { return get(v); });
        w.rows(kAwmLevelFields, base + kAwmHeaderSize, get);
        w.group("envelope", [&] {
            w.rows(kEnvelopeFields, base + kAwmHeaderSize + kLevelBlockSize,
                   [get](VoiceParameters& v) -> EnvelopeParams& { return get(v).envelope; });
        });
    });
}

template <typename W>
constexpr void walkFmElement(W& w, const char* name, std::size_t base, auto get)
{
    w.group(name, [&] {
        w.rows(kFmHeaderFields, base, [get](VoiceParameters& v) -> ElementParams& { return get(v); });
        w.rows(kFeedbackFields, base, get);
        const std::size_t op = base + kFmHeaderSize + 1;
        walkOperator(w, "modulator", op, [get](VoiceParameters& v) -> FmOperatorParams& { return get(v).modulator; });
        walkOperator(w, "carrier", op + kOperatorBlockSize,
                     [get](VoiceParameters& v) -> FmOperatorParams& { return get(v).carrier; });
    });
}

template <typename W>
constexpr void walkVoiceLayout(W& w, DumpLayout layout)
{
    const MessageMap& m = messageMap(layout);
    w.group("common", [&] { w.rows(kCommonFields, 0, [](VoiceParameters& v) -> VoiceCommonParams& { return v.common; }); });
    walkAwmElement(w, "elementA", m.elements[0], [](VoiceParameters& v) -> AwmElementParams& { return v.elementA; });
    walkFmElement(w, "elementB", m.elements[1], [](VoiceParameters& v) -> FmElementParams& { return v.elementB; });
    walkAwmElement(w, "elementC", m.elements[2], [](VoiceParameters& v) -> AwmElementParams& { return v.elementC; });
    walkFmElement(w, "elementD", m.elements[3], [](VoiceParameters& v) -> FmElementParams& { return v.elementD; });
    w.rows(kVectorSpeedFields, m.vectors, [](VoiceParameters& v) -> VoiceParameters& { return v; });
    const std::size_t steps = m.vectors + 2;
    w.group("levelVector", [&] {
        w.rows(kVectorFields, steps, [](VoiceParameters& v) -> VectorParams& { return v.levelVector; });
    });
    w.group("detuneVector", [&] {
        w.rows(kVectorFields, steps + kVectorSteps * kStepBlockSize,
               [](VoiceParameters& v) -> VectorParams& { return v.detuneVector; });
    });
}

// ---------------------------------------------------------------------------
// Places the rest of the program reads, from the rows.
template <typename R, std::size_t N>
constexpr const Field<R>& rowOf(const std::array<Field<R>, N>& rows, std::string_view key)
{
    for (const Field<R>& row : rows)
        if (row.key == key)
            return row;
    throw "no such row";  // a compile-time error where it is used in a constant
}

inline constexpr std::size_t kNameSize = sizeof(VoiceCommonParams::name);
inline constexpr std::size_t kSyNameAt = rowOf(kCommonFields, "name").sy.at;
inline constexpr std::size_t kTg33NameAt = rowOf(kCommonFields, "name").tg.at;
// SY: the effect depth in bits 6-4 and the effect type in bits 3-0 of one byte.
inline constexpr std::size_t kSyEffect = rowOf(kCommonFields, "effectType").sy.at;
static_assert(rowOf(kCommonFields, "effectDepth").sy.at == kSyEffect);
// TG-33: the effect type in bits 3-0 of one byte; the depth is spread over
// two bytes whose sum divided by 36 gives it.
inline constexpr std::size_t kTg33EffectType = rowOf(kCommonFields, "effectType").tg.at;
inline constexpr std::size_t kTg33DepthBytes[2] = {rowOf(kCommonFields, "effectDepth").tg.at,
                                                    rowOf(kCommonFields, "effectDepth").tg.second};
inline constexpr int kTg33DepthStep = 36;


// ---------------------------------------------------------------------------
// The compile-time proof that the rows and the frame tile each layout.
namespace detail {

constexpr std::uint8_t lowBits(int n) { return static_cast<std::uint8_t>((1u << n) - 1); }

struct Claims {
    std::array<std::uint8_t, kTg33DumpSize> bits{};
    std::size_t size = 0;
    bool clash = false;

    constexpr void claim(std::size_t at, std::uint8_t mask)
    {
        if (at >= size || (bits[at] & mask) != 0)
            clash = true;
        else
            bits[at] = static_cast<std::uint8_t>(bits[at] | mask);
    }
    template <typename R>
    constexpr void claimPlace(const Field<R>& f, const Place& p, std::size_t base)
    {
        for (int i = 0; i < f.count; ++i) {
            const std::size_t at = base + p.at + static_cast<std::size_t>(i) * f.stride;
            switch (p.packing) {
            case Packing::Bits:
                claim(at, static_cast<std::uint8_t>(lowBits(p.bits > p.read ? p.bits : p.read) << p.shift));
                if (p.shift + p.read > 7 || p.shift + p.bits > 7)
                    clash = true;
                break;
            case Packing::Split:
                claim(at, 0xFF);
                claim(at + 1, 0xFF);
                break;
            case Packing::TopBit:
                claim(at, 0xFF);
                claim(at + 1, static_cast<std::uint8_t>(lowBits(p.bits - 1) << p.shift));
                break;
            case Packing::Text:
                for (std::size_t c = 0; c < p.bits; ++c)
                    claim(at + c, 0xFF);
                break;
            case Packing::DepthSum:
                claim(at, 0xFF);
                claim(base + p.second, 0xFF);
                break;
            }
        }
    }
};

struct ClaimWalk {
    Claims claims;
    DumpLayout layout;
    constexpr void group(const char*, auto body) { body(); }
    template <typename R, std::size_t N>
    constexpr void rows(const std::array<Field<R>, N>& table, std::size_t base, auto)
    {
        for (const Field<R>& f : table)
            claims.claimPlace(f, f.place(layout), base);
    }
};

constexpr bool layoutTiles(DumpLayout layout)
{
    ClaimWalk w{{}, layout};
    w.claims.size = messageMap(layout).size;
    walkVoiceLayout(w, layout);
    for (const FrameBytes& f : frameOf(layout))
        for (std::size_t i = 0; i < f.size; ++i)
            w.claims.claim(f.at + i, 0xFF);
    if (w.claims.clash)
        return false;
    for (std::size_t i = 0; i < w.claims.size; ++i)
        if (w.claims.bits[i] == 0)
            return false;
    return true;
}

} // namespace detail
static_assert(detail::layoutTiles(DumpLayout::Sy), "an SY byte is claimed twice or by nothing");
static_assert(detail::layoutTiles(DumpLayout::Tg33), "a TG-33 byte is claimed twice or by nothing");

} // namespace morvane
