// The one table of a TG-33 multi's fields: its common part and the record of
// each of its sixteen parts. Each row says where the field travels in the
// multi's data bytes and how it is packed (the voice table's places and
// codes), its stored range, how it is shown, and the words a user reads.
//
// The layout is a reading of the format by public editors, not of a dump
// captured from an instrument; bytes nobody has explained are kept as they
// came (rows that are not named), so that an edited multi sends them back
// unchanged. The checks at the end prove, at compile time, that no two rows
// share a bit and that every data byte is a field or a kept byte.
#pragma once

#include "DumpFormat.h"
#include "VoiceLayout.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kMultiFormatId = "LM  0012ME";
inline constexpr std::size_t kMultiCommonSize = 32;
inline constexpr std::size_t kMultiPartSize = 11;
inline constexpr int kMultiParts = 16;
inline constexpr std::size_t kMultiDataSize = kMultiCommonSize + kMultiParts * kMultiPartSize;
// The message: F0 43 0n 7E, the byte count, the identifier, the data, the
// checksum, F7.
inline constexpr std::size_t kMultiDataAt = kFormatIdOffset + kMultiFormatId.size();
inline constexpr std::size_t kMultiChecksumAt = kMultiDataAt + kMultiDataSize;
inline constexpr std::size_t kMultiDumpSize = kMultiChecksumAt + 2;
// The count the message carries: the identifier and the data.
inline constexpr std::size_t kMultiByteCount = kMultiFormatId.size() + kMultiDataSize;
static_assert(kMultiDataSize == 208 && kMultiDumpSize == 226 && kMultiByteCount == 1 * 128 + 0x5A);  // 01 5A

// The bytes of the message around the data, by the voice table's roles:
// F0 43 0n 7E, the byte count 01 5A, the identifier, then the data, the
// checksum (the identifier, the data and it sum to a multiple of 128), F7.
inline constexpr std::array<FrameBytes, 8> kMultiFrame{{
    {0, 1, FrameRole::Fixed, kSysExStart},
    {1, 1, FrameRole::Fixed, kYamahaId},
    {kDeviceByte, 1, FrameRole::Device},
    {3, 1, FrameRole::Fixed, kDumpFormat},
    {4, 2, FrameRole::ByteCount},
    {kFormatIdOffset, kMultiFormatId.size(), FrameRole::FormatId},
    {kMultiChecksumAt, 1, FrameRole::OuterChecksum},
    {kMultiChecksumAt + 1, 1, FrameRole::Fixed, kSysExEnd},
}};

struct MultiRow {
    std::string_view key;    // the voice tool's JSON key
    std::string_view words;  // what a user reads: "Volume"
    Place place;             // from the first byte of the common part or of the part
    int min;
    int max;
    FieldKind kind = FieldKind::Number;
    ShownForm shown = kAsStored;
    Code code = Code::Unsigned;
    bool named = true;       // false: a byte (or bits) kept as it came, never shown

    constexpr MultiRow& choice() { kind = FieldKind::Choice; return *this; }
    constexpr MultiRow& shownAs(ShownForm form) { shown = form; return *this; }
    constexpr MultiRow& coded(Code c) { code = c; return *this; }
};

// Bytes (or bits) kept as they came; their keys name their place.
constexpr MultiRow keptAt(std::string_view key, Place place)
{
    MultiRow row{key, "Kept byte", place, 0, (1 << place.bits) - 1};
    row.named = false;
    return row;
}

// The common part's fields, in the order of MultiField.
enum class MultiField { EffectType, Balance, Send1, Send2, Output, Name, AssignMode, FirstKept };

inline constexpr std::array<std::string_view, 3> kAssignModeNames{"32/0 notes", "24/8 notes", "16/16 notes"};

inline constexpr std::array<MultiRow, 25> kMultiCommonRows{{
    MultiRow{"effectType", "Effect type", byteAt(0), 0, 15}.choice(),
    MultiRow{"effectBalance", "Effect balance", byteAt(1), 0, 127},
    MultiRow{"send1", "Effect send, group 1", byteAt(5), 0, 127},
    MultiRow{"send2", "Effect send, group 2", byteAt(6), 0, 127},
    MultiRow{"outputAssign", "Output assignment", byteAt(7), 0, 127},
    MultiRow{"name", "Multi name", textAt(13, 8), 0, 127},
    MultiRow{"assignMode", "Voice assignment", byteAt(21), 0, 2}.choice(),
    keptAt("byte2", byteAt(2)),   keptAt("byte3", byteAt(3)),   keptAt("byte4", byteAt(4)),
    keptAt("byte8", byteAt(8)),   keptAt("byte9", byteAt(9)),   keptAt("byte10", byteAt(10)),
    keptAt("byte11", byteAt(11)), keptAt("byte12", byteAt(12)), keptAt("byte22", byteAt(22)),
    keptAt("byte23", byteAt(23)), keptAt("byte24", byteAt(24)), keptAt("byte25", byteAt(25)),
    keptAt("byte26", byteAt(26)), keptAt("byte27", byteAt(27)), keptAt("byte28", byteAt(28)),
    keptAt("byte29", byteAt(29)), keptAt("byte30", byteAt(30)), keptAt("byte31", byteAt(31)),
}};

// A part's fields, in the order of PartField. Detune and note shift: the
// two readings of the format disagree on their ranges; these are the wider
// ones, and a value read from outside them is kept and shown as it is.
enum class PartField { On, EffectGroup, Bank, Voice, Volume, Detune, NoteShift, Pan, FirstKept };

inline constexpr std::array<std::string_view, 3> kPartBankNames{"Internal", "Preset 1", "Preset 2"};

inline constexpr std::array<MultiRow, 12> kMultiPartRows{{
    MultiRow{"on", "Part on", bitsAt(0, 3, 1), 0, 1}.choice(),
    MultiRow{"effectGroup", "Effect group", bitsAt(0, 2, 1), 0, 1}.choice().shownAs({1, 1}),
    MultiRow{"bank", "Bank", byteAt(1), 0, 2}.choice(),
    MultiRow{"voice", "Voice number", byteAt(2), 0, 63},
    MultiRow{"volume", "Volume", byteAt(3), 0, 127},
    MultiRow{"detune", "Detune", splitAt(4), -10, 10}.coded(Code::Signed),
    MultiRow{"noteShift", "Note shift", splitAt(6), -24, 24}.coded(Code::Signed),
    MultiRow{"pan", "Pan", byteAt(8), 0, 4},
    keptAt("flagBits0", bitsAt(0, 0, 2)),
    keptAt("flagBits4", bitsAt(0, 4, 3)),
    keptAt("byte9", byteAt(9)),
    keptAt("byte10", byteAt(10)),
}};

constexpr std::size_t rowIndex(MultiField f) { return static_cast<std::size_t>(f); }
constexpr std::size_t rowIndex(PartField f) { return static_cast<std::size_t>(f); }
constexpr const MultiRow& rowOf(MultiField f) { return kMultiCommonRows[rowIndex(f)]; }
constexpr const MultiRow& rowOf(PartField f) { return kMultiPartRows[rowIndex(f)]; }

// ---------------------------------------------------------------------------
// The compile-time proof that the rows tile the data bytes.
namespace detail {

template <std::size_t N>
constexpr bool rowsInOrder(const std::array<MultiRow, N>& rows, std::size_t firstKept)
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].named != (i < firstKept) || rows[i].key.empty() || rows[i].words.empty()
            || rows[i].min > rows[i].max)
            return false;
    return true;
}

// Every bit of `size` bytes claimed by exactly one row.
template <std::size_t N>
constexpr bool rowsTile(const std::array<MultiRow, N>& rows, std::size_t size)
{
    std::array<unsigned, kMultiCommonSize> bits{};
    auto claim = [&](std::size_t at, unsigned mask) {
        if (at >= size || (bits[at] & mask) != 0)
            return false;
        bits[at] |= mask;
        return true;
    };
    for (const MultiRow& r : rows) {
        const Place& p = r.place;
        bool ok = true;
        switch (p.packing) {
        case Packing::Bits:
            ok = p.bits == p.read && p.shift + p.bits <= 7 && claim(p.at, ((1u << p.bits) - 1) << p.shift);
            break;
        case Packing::Split:
            ok = claim(p.at, 0x7F) && claim(p.at + 1u, 0x7F);
            break;
        case Packing::Text:
            for (std::size_t c = 0; c < p.bits && ok; ++c)
                ok = claim(p.at + c, 0x7F);
            break;
        case Packing::TopBit:
        case Packing::DepthSum:
            ok = false;  // not used in a multi
            break;
        }
        if (!ok)
            return false;
    }
    for (std::size_t i = 0; i < size; ++i)
        if (bits[i] != 0x7F)
            return false;
    return true;
}

// The frame and the data (the common part, then the parts) cover the
// message, each byte once.
constexpr bool frameAndDataTile()
{
    std::array<int, kMultiDumpSize> uses{};
    for (const FrameBytes& f : kMultiFrame)
        for (std::size_t i = 0; i < f.size; ++i)
            if (f.at + i >= kMultiDumpSize || ++uses[f.at + i] > 1)
                return false;
    for (std::size_t i = kMultiDataAt; i < kMultiChecksumAt; ++i)
        if (++uses[i] > 1)
            return false;
    for (int used : uses)
        if (used != 1)
            return false;
    return true;
}

} // namespace detail

static_assert(detail::frameAndDataTile(), "a byte of the multi's message is claimed twice or by nothing");
static_assert(detail::rowsInOrder(kMultiCommonRows, rowIndex(MultiField::FirstKept)),
              "the named common rows come first, in the order of MultiField");
static_assert(detail::rowsInOrder(kMultiPartRows, rowIndex(PartField::FirstKept)),
              "the named part rows come first, in the order of PartField");
static_assert(rowOf(MultiField::Name).key == "name" && rowOf(MultiField::AssignMode).key == "assignMode");
static_assert(rowOf(PartField::Pan).key == "pan" && rowOf(PartField::Detune).key == "detune");
static_assert(detail::rowsTile(kMultiCommonRows, kMultiCommonSize), "a common byte is claimed twice or by nothing");
static_assert(detail::rowsTile(kMultiPartRows, kMultiPartSize), "a part byte is claimed twice or by nothing");
static_assert(kAssignModeNames.size() == rowOf(MultiField::AssignMode).max + 1u);
static_assert(kPartBankNames.size() == rowOf(PartField::Bank).max + 1u);

} // namespace morvane
