#include "Multi.h"

#include "VoiceData.h"
#include "VoiceFile.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace morvane {

namespace {

constexpr unsigned lowBits(int n) { return (1u << n) - 1; }

int decodeRow(const std::uint8_t* block, const MultiRow& row)
{
    const int raw = static_cast<int>(readPlace(block, row.place, row.place.at));
    if (row.code != Code::Signed)
        return raw;
    const int width = row.place.packing == Packing::Bits ? row.place.bits : 8;
    return raw >= (1 << (width - 1)) ? raw - (1 << width) : raw;
}

void encodeRow(std::uint8_t* block, const MultiRow& row, int value)
{
    const int width = row.place.packing == Packing::Bits ? row.place.bits : 8;
    writePlace(block, row.place, row.place.at, static_cast<unsigned>(value) & lowBits(width));
}

template <std::size_t N>
void decodeRows(const std::uint8_t* block, const std::array<MultiRow, N>& rows, std::array<int, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].place.packing != Packing::Text)
            values[i] = decodeRow(block, rows[i]);
}

template <std::size_t N>
void encodeRows(std::uint8_t* block, const std::array<MultiRow, N>& rows, const std::array<int, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].place.packing != Packing::Text)
            encodeRow(block, rows[i], values[i]);
}

std::uint8_t checksumOf(const std::uint8_t* message)
{
    // Makes the identifier, the data and the checksum a multiple of 128.
    const unsigned sum = std::accumulate(message + kFormatIdOffset, message + kMultiChecksumAt, 0u);
    return static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

template <std::size_t N>
std::string outOfRange(const std::array<MultiRow, N>& rows, const std::array<int, N>& values, const std::string& path)
{
    for (std::size_t i = 0; i < N; ++i) {
        const MultiRow& r = rows[i];
        if (r.place.packing != Packing::Text && (values[i] < r.min || values[i] > r.max))
            return path + std::string(r.key) + " = " + std::to_string(values[i]) + " (" + std::to_string(r.min)
                   + ".." + std::to_string(r.max) + ")";
    }
    return {};
}

constexpr std::size_t kMaxMultiFileSize = 1 << 16;

} // namespace

Multi initialMulti()
{
    Multi multi;
    constexpr std::string_view kName = "Untitled";
    std::copy(kName.begin(), kName.end(), multi.name.begin());
    for (MultiPart& part : multi.parts) {
        part[PartField::Volume] = 127;
        part[PartField::Pan] = 2;
    }
    multi.parts[0][PartField::On] = 1;
    return multi;
}

MultiDump encodeMulti(const Multi& multi, MidiChannel channel)
{
    MultiDump message{};
    for (const FrameBytes& f : kMultiFrame) {
        switch (f.role) {
        case FrameRole::Fixed:
            message[f.at] = f.value;
            break;
        case FrameRole::Device:
            message[f.at] = deviceByte(DeviceKind::Dump, channel);
            break;
        case FrameRole::ByteCount:
            message[f.at] = static_cast<std::uint8_t>(kMultiByteCount >> 7);
            message[f.at + 1] = static_cast<std::uint8_t>(kMultiByteCount & 0x7F);
            break;
        case FrameRole::FormatId:
            std::copy(kMultiFormatId.begin(), kMultiFormatId.end(), message.begin() + f.at);
            break;
        case FrameRole::InnerChecksum:
        case FrameRole::OuterChecksum:  // last, below
        case FrameRole::NotRead:
            break;
        }
    }

    std::uint8_t* data = message.data() + kMultiDataAt;
    encodeRows(data, kMultiCommonRows, multi.common);
    const Place& name = rowOf(MultiField::Name).place;
    for (std::size_t c = 0; c < name.bits; ++c)
        data[name.at + c] = static_cast<std::uint8_t>(multi.name[c]) & 0x7F;
    for (int p = 0; p < kMultiParts; ++p)
        encodeRows(data + kMultiCommonSize + p * kMultiPartSize, kMultiPartRows,
                   multi.parts[static_cast<std::size_t>(p)].values);

    message[kMultiChecksumAt] = checksumOf(message.data());
    return message;
}

std::array<std::uint8_t, kRequestSize> multiRequest(MidiChannel channel)
{
    std::array<std::uint8_t, kRequestSize> request{};
    request[0] = kSysExStart;
    request[1] = kYamahaId;
    request[kDeviceByte] = deviceByte(DeviceKind::Request, channel);
    request[3] = kDumpFormat;
    std::copy(kMultiFormatId.begin(), kMultiFormatId.end(), request.begin() + 4);  // no byte count in a request
    request[14] = kSysExEnd;
    return request;
}

bool isMultiDump(const std::uint8_t* message, std::size_t size)
{
    return size >= kMultiDataAt && message[0] == kSysExStart && message[1] == kYamahaId
           && (message[kDeviceByte] & 0xF0) == static_cast<unsigned>(DeviceKind::Dump) && message[3] == kDumpFormat
           && std::equal(kMultiFormatId.begin(), kMultiFormatId.end(), message + kFormatIdOffset);
}

bool isMultiRequest(const std::uint8_t* message, std::size_t size)
{
    return size == kRequestSize && message[0] == kSysExStart && message[1] == kYamahaId
           && (message[kDeviceByte] & 0xF0) == static_cast<unsigned>(DeviceKind::Request)
           && message[3] == kDumpFormat && std::equal(kMultiFormatId.begin(), kMultiFormatId.end(), message + 4)
           && message[14] == kSysExEnd;
}

std::string decodeMulti(const std::uint8_t* message, std::size_t size, Multi& multi)
{
    if (!isMultiDump(message, size))
        return "not a TG-33 multi dump (no F0 43 0n 7E with \"LM  0012ME\" at byte 6)";
    if (size != kMultiDumpSize)
        return "the multi dump is " + std::to_string(size) + " bytes long, not " + std::to_string(kMultiDumpSize);
    if (message[size - 1] != kSysExEnd)
        return "the multi dump does not end in F7";
    for (std::size_t i = 1; i + 1 < size; ++i)
        if (message[i] > 0x7F)
            return "byte " + std::to_string(i) + " of the multi dump is " + hexByte(message[i])
                   + ", not a data byte";
    if (const std::uint8_t want = checksumOf(message); message[kMultiChecksumAt] != want)
        return "the multi dump's checksum is " + hexByte(message[kMultiChecksumAt]) + ", its bytes need "
               + hexByte(want) + ": it is damaged";

    Multi result;
    const std::uint8_t* data = message + kMultiDataAt;
    decodeRows(data, kMultiCommonRows, result.common);
    const Place& name = rowOf(MultiField::Name).place;
    std::copy(data + name.at, data + name.at + name.bits, result.name.begin());
    for (int p = 0; p < kMultiParts; ++p)
        decodeRows(data + kMultiCommonSize + p * kMultiPartSize, kMultiPartRows,
                   result.parts[static_cast<std::size_t>(p)].values);
    multi = result;
    return {};
}

std::string multiSlotName(int bank, int voice)
{
    static constexpr std::array<std::string_view, 3> kBankMarks{"I", "P1 ", "P2 "};
    std::string name(bank >= 0 && bank < 3 ? kBankMarks[static_cast<std::size_t>(bank)] : "?");
    name += static_cast<char>('A' + voice / 8 % 8);
    name += std::to_string(voice % 8 + 1);
    return name;
}

std::string findMultiFieldOutOfRange(const Multi& multi)
{
    std::string fault = outOfRange(kMultiCommonRows, multi.common, "common.");
    for (int p = 0; p < kMultiParts && fault.empty(); ++p)
        fault = outOfRange(kMultiPartRows, multi.parts[static_cast<std::size_t>(p)].values,
                           "part" + std::to_string(p + 1) + ".");
    for (std::size_t c = 0; c < multi.name.size() && fault.empty(); ++c)
        if (static_cast<unsigned char>(multi.name[c]) > 0x7F)
            fault = "common.name holds a character outside 7-bit ASCII";
    return fault;
}

std::string readMultiFile(const std::string& path, Multi& multi)
{
    std::vector<std::uint8_t> bytes;
    if (const VoiceFileResult read = readRegularFile(path, bytes, kMaxMultiFileSize); read != VoiceFileResult::Loaded)
        return read == VoiceFileResult::TooLarge ? "the file is far too large to be a multi file" : describe(read);
    const auto start = std::find(bytes.begin(), bytes.end(), kSysExStart);
    if (start == bytes.end())
        return "no System Exclusive message in the file";
    const auto end = std::find(start + 1, bytes.end(), kSysExEnd);
    if (end == bytes.end())
        return "the multi dump in the file has no end (F7): it is cut short";
    return decodeMulti(&*start, static_cast<std::size_t>(end - start) + 1, multi);
}

std::string writeMultiFile(const std::string& path, const Multi& multi)
{
    const MultiDump message = encodeMulti(multi);
    Multi back;
    if (const std::string fault = decodeMulti(message.data(), message.size(), back); !fault.empty())
        return "the multi's message did not read back: " + fault;
    if (!(back == multi))
        return "the multi holds a value its message cannot carry: " + findMultiFieldOutOfRange(multi);
    if (!writeFileAtomically(path, message.data(), message.size()))
        return "cannot write the file";
    return {};
}

} // namespace morvane
