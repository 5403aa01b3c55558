#include "VoiceBank.h"

#include "VoiceLayout.h"

#include "DumpCheck.h"
#include "Tg33Dump.h"
#include "VoiceData.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>

namespace morvane {

namespace {

// A file much larger than a bank is not read whole.
constexpr std::size_t kMaxBankFileSize = 1 << 20;

std::size_t firstStart(const std::uint8_t* bytes, std::size_t size)
{
    return static_cast<std::size_t>(std::find(bytes, bytes + size, kSysExStart) - bytes);
}

std::uint8_t checksumOf(const std::uint8_t* first, const std::uint8_t* last)
{
    const unsigned sum = std::accumulate(first, last, 0u);
    return static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

std::string voiceRange(int first, int last)
{
    return "voices " + std::to_string(first) + "-" + std::to_string(last);
}

std::string contentsOf(const BankFormat& f, int block)
{
    if (block >= kBankVoiceBlocks)
        return f.multiSize > 0 ? "the multi data" : "nothing";
    const int first = block * kBankVoicesPerBlock + 1;
    return voiceRange(first, first + kBankVoicesPerBlock - 1);
}

// What is lost when the bank ends before block `block`.
std::string missingFrom(const BankFormat& f, int block)
{
    std::string text;
    if (block < kBankVoiceBlocks)
        text = voiceRange(block * kBankVoicesPerBlock + 1, kBankVoices);
    if (f.multiSize > 0)
        text += (text.empty() ? "" : " and ") + std::string("the multi data");
    return text + (block < kBankVoiceBlocks ? " are missing" : " is missing");
}

// The single-voice message around the bytes of one bank voice.
VoiceBank::Bytes wrapVoice(DumpLayout layout, const VoiceBank::Bytes& voice, int midiChannel)
{
    if (layout == DumpLayout::Tg33) {
        Tg33Dump tg = tg33DumpOfVoice(voice.data());
        tg[kDeviceByte] = deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel));
        return {tg.begin(), tg.end()};
    }
    VoiceBank::Bytes message(kSyDumpSize);
    std::uint8_t* out = message.data();
    out[0] = kSysExStart;
    out[1] = kYamahaId;
    out[kDeviceByte] = deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel));
    out[3] = kDumpFormat;
    out[4] = static_cast<std::uint8_t>((kSyDumpSize - 8) >> 7);
    out[5] = static_cast<std::uint8_t>((kSyDumpSize - 8) & 0x7F);
    std::copy(kSyFormatId.begin(), kSyFormatId.end(), out + kFormatIdOffset);
    std::copy(voice.begin(), voice.end(), out + kBankVoiceStart);
    out[kSyDumpSize - 2] = checksumOf(out + kFormatIdOffset, out + kSyDumpSize - 2);
    out[kSyDumpSize - 1] = kSysExEnd;
    return message;
}

VoiceBank::Bytes voiceOfDump(const BankFormat& f, const std::uint8_t* message)
{
    return {message + kBankVoiceStart, message + kBankVoiceStart + f.voiceSize};
}

} // namespace

std::optional<DumpLayout> bankLayout(const std::uint8_t* bytes, std::size_t size)
{
    const std::size_t start = firstStart(bytes, size);
    if (start + kFormatIdOffset + kTg33BankFormat.id.size() > size)
        return std::nullopt;
    const std::uint8_t* m = bytes + start;
    if (m[1] != kYamahaId || (m[kDeviceByte] & 0xF0) != 0 || m[3] != kDumpFormat)
        return std::nullopt;
    for (const BankFormat* f : {&kTg33BankFormat, &kSyBankFormat})
        if (std::equal(f->id.begin(), f->id.end(), m + kFormatIdOffset))
            return f->layout;
    return std::nullopt;
}

std::array<std::uint8_t, kRequestSize> bankRequest(DumpLayout layout, int midiChannel)
{
    const std::string_view id = bankFormat(layout).id;
    std::array<std::uint8_t, kRequestSize> request{};
    request[0] = kSysExStart;
    request[1] = kYamahaId;
    request[kDeviceByte] = deviceByte(DeviceKind::Request, MidiChannel::lowNibble(midiChannel));
    request[3] = kDumpFormat;
    std::copy(id.begin(), id.end(), request.begin() + 4);
    request[kRequestSize - 1] = kSysExEnd;
    return request;
}

std::optional<DumpLayout> bankRequestLayout(const std::uint8_t* message, std::size_t size)
{
    if (size != kRequestSize || message[0] != kSysExStart || message[1] != kYamahaId
        || (message[2] & 0xF0) != 0x20 || message[3] != kDumpFormat || message[kRequestSize - 1] != kSysExEnd)
        return std::nullopt;
    for (const BankFormat* f : {&kTg33BankFormat, &kSyBankFormat})
        if (std::equal(f->id.begin(), f->id.end(), message + 4))
            return f->layout;
    return std::nullopt;
}

std::vector<std::vector<std::uint8_t>> bankPieces(const std::vector<std::uint8_t>& message)
{
    std::vector<std::vector<std::uint8_t>> pieces;
    const std::optional<DumpLayout> layout = bankLayout(message.data(), message.size());
    if (!layout)
        return pieces;
    const BankFormat& f = bankFormat(*layout);
    if (message.size() != bankSize(f))
        return pieces;
    const int blocks = bankBlocks(f);
    for (int block = 0; block < blocks; ++block) {
        const std::size_t from = block == 0 ? 0 : bankBlockStart(f, block);
        const std::size_t to = block + 1 == blocks ? message.size() : bankBlockStart(f, block + 1);
        pieces.emplace_back(message.begin() + static_cast<std::ptrdiff_t>(from),
                            message.begin() + static_cast<std::ptrdiff_t>(to));
    }
    return pieces;
}

std::string slotName(int slot)
{
    std::string name = "I";
    name += static_cast<char>('A' + (slot / 8) % 8);
    name += static_cast<char>('1' + slot % 8);
    return name;
}

std::string VoiceBank::name(int slot) const
{
    const Bytes& voice = raw(slot);
    if (voice.empty())
        return {};
    const std::size_t at = (layout_ == DumpLayout::Tg33 ? kTg33NameAt : kSyNameAt) - kBankVoiceStart;
    std::string text;
    for (std::size_t i = 0; i < kNameSize; ++i) {
        const std::uint8_t ch = voice[at + i];
        text += ch < 32 || ch > 126 ? ' ' : static_cast<char>(ch);
    }
    return text;
}

VoiceBank::Bytes VoiceBank::voiceDump(int slot, int midiChannel) const
{
    const Bytes& voice = raw(slot);
    return voice.empty() ? Bytes{} : wrapVoice(layout_, voice, midiChannel);
}

bool VoiceBank::decode(int slot, VoiceParameters& voice) const
{
    const Bytes message = voiceDump(slot, 0);
    if (message.empty())
        return false;
    VoiceParameters decoded;
    VoiceData data(decoded);
    if (!data.decodeDump(message.data(), message.size()))
        return false;
    voice = decoded;
    return true;
}

std::optional<bool> VoiceBank::putDump(int slot, const std::uint8_t* message, std::size_t size)
{
    const std::optional<DumpLayout> layout = voiceDumpLayout(message, size);
    if (!layout)
        return std::nullopt;
    if (*layout == layout_) {
        voices_.at(static_cast<std::size_t>(slot)) = voiceOfDump(format(), message);
        return false;
    }
    VoiceParameters voice;
    VoiceData data(voice);
    data.decodeDump(message, size);
    if (!putVoice(slot, voice).empty())
        return std::nullopt;
    return true;
}

std::string VoiceBank::putVoice(int slot, const VoiceParameters& voice)
{
    const CheckedDump checked = encodeCheckedDump(voice);
    if (!checked.sound())
        return checked.fault;
    if (layout_ == DumpLayout::Tg33) {
        const Tg33Dump tg = tg33DumpFromSy(checked.dump.data(), 0);
        voices_.at(static_cast<std::size_t>(slot)) = voiceOfDump(format(), tg.data());
    } else {
        voices_.at(static_cast<std::size_t>(slot)) = voiceOfDump(format(), checked.dump.data());
    }
    return {};
}

bool VoiceBank::putRaw(int slot, const Bytes& voice)
{
    if (voice.size() != format().voiceSize
        || std::any_of(voice.begin(), voice.end(), [](std::uint8_t b) { return b >= 0x80; }))
        return false;
    voices_.at(static_cast<std::size_t>(slot)) = voice;
    return true;
}

bool VoiceBank::setMulti(const Bytes& data)
{
    if (!needsMulti() || data.size() != format().multiSize
        || std::any_of(data.begin(), data.end(), [](std::uint8_t b) { return b >= 0x80; }))
        return false;
    multi_ = data;
    return true;
}

bool VoiceBank::complete() const
{
    return missing().empty();
}

std::string VoiceBank::missing() const
{
    int empty = 0;
    for (const Bytes& voice : voices_)
        empty += voice.empty() ? 1 : 0;
    std::string text;
    if (empty > 0)
        text = std::to_string(empty) + (empty == 1 ? " slot is empty" : " slots are empty");
    if (needsMulti() && multi_.empty())
        text += (text.empty() ? "" : "; ")
                + std::string("it has no multi data from a real bank (an SY bank is sent only with the multis "
                              "of a bank received or opened)");
    return text;
}

VoiceBank::Bytes VoiceBank::encode(int midiChannel) const
{
    if (!complete())
        return {};
    const BankFormat& f = format();
    Bytes message(bankSize(f));
    std::uint8_t* const out = message.data();
    out[0] = kSysExStart;
    out[1] = kYamahaId;
    out[kDeviceByte] = deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel));
    out[3] = kDumpFormat;
    for (int block = 0; block < bankBlocks(f); ++block) {
        const std::size_t length = bankBlockData(f, block);
        std::uint8_t* const count = out + bankBlockStart(f, block);
        count[0] = static_cast<std::uint8_t>(length >> 7);
        count[1] = static_cast<std::uint8_t>(length & 0x7F);
        std::uint8_t* const data = count + 2;
        std::uint8_t* at = data;
        if (block == 0)
            at = std::copy(f.id.begin(), f.id.end(), at);
        if (block < kBankVoiceBlocks) {
            for (int i = 0; i < kBankVoicesPerBlock; ++i) {
                const Bytes& voice = voices_[static_cast<std::size_t>(block * kBankVoicesPerBlock + i)];
                at = std::copy(voice.begin(), voice.end(), at);
            }
        } else {
            at = std::copy(multi_.begin(), multi_.end(), at);
        }
        *at = checksumOf(data, at);
    }
    out[message.size() - 1] = kSysExEnd;
    return message;
}

int BankRead::wholeVoices() const
{
    int whole = 0;
    for (int slot = 0; slot < kBankVoices; ++slot)
        whole += bank.holds(slot) ? 1 : 0;
    return whole;
}

BankRead readVoiceBank(const std::uint8_t* bytes, std::size_t size)
{
    BankRead read;
    read.layout = bankLayout(bytes, size);
    if (!read.layout) {
        read.faults.emplace_back("not a voice bank of these instruments");
        return read;
    }
    read.bank = VoiceBank(*read.layout);
    const BankFormat& f = read.bank.format();
    const std::size_t start = firstStart(bytes, size);
    read.bank.setDevice(bytes[start + kDeviceByte]);
    // The message ends at its first status byte (F7, or whatever cut it off).
    std::size_t end = start + 1;
    while (end < size && bytes[end] < 0x80)
        ++end;

    const int blocks = bankBlocks(f);
    bool reachedEnd = true;
    for (int block = 0; block < blocks; ++block) {
        const std::size_t at = start + bankBlockStart(f, block);
        const std::size_t length = bankBlockData(f, block);
        const std::string where = "block " + std::to_string(block + 1) + " (byte " + std::to_string(at) + ", "
                                  + contentsOf(f, block) + ")";
        if (at >= end) {
            read.faults.push_back("the bank ends at byte " + std::to_string(end) + " after " + std::to_string(block)
                                  + " of its " + std::to_string(blocks) + " blocks; " + missingFrom(f, block));
            reachedEnd = false;
            break;
        }
        BankBlockCheck check{block + 1, at, {}};
        if (at + 2 + length + 1 > end) {
            const std::size_t present = end - std::min(end, at + 2);
            check.fault = where + " is cut short: " + std::to_string(std::min(present, length + 1)) + " of its "
                          + std::to_string(length + 1) + " data and checksum bytes are there";
        } else if (const std::size_t count = bytes[at] * 128u + bytes[at + 1]; count != length) {
            check.fault = where + " has the count " + std::to_string(count) + " where it should be "
                          + std::to_string(length);
        } else if (std::accumulate(bytes + at + 2, bytes + at + 2 + length + 1, 0u) % 128 != 0) {
            check.fault = where + ": the checksum does not match its data";
        }
        if (!check.fault.empty()) {
            read.faults.push_back(check.fault);
            read.blocks.push_back(check);
            continue;
        }
        read.blocks.push_back(check);
        const std::uint8_t* data = bytes + at + 2;
        if (block >= kBankVoiceBlocks) {
            read.bank.setMulti({data, data + length});
            continue;
        }
        const std::uint8_t* voice = data + (block == 0 ? f.id.size() : 0);
        for (int i = 0; i < kBankVoicesPerBlock; ++i, voice += f.voiceSize)
            read.bank.putRaw(block * kBankVoicesPerBlock + i, {voice, voice + f.voiceSize});
    }
    const std::size_t last = start + bankSize(f) - 1;
    if (reachedEnd && end >= last && (last >= size || bytes[last] != kSysExEnd))
        read.faults.push_back("the bank does not end with F7 at byte " + std::to_string(last));
    return read;
}

BankRead readVoiceBankFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        BankRead read;
        read.faults.emplace_back("cannot open the file");
        return read;
    }
    std::vector<std::uint8_t> bytes;
    std::istreambuf_iterator<char> it(in), end;
    for (; it != end && bytes.size() <= kMaxBankFileSize; ++it)
        bytes.push_back(static_cast<std::uint8_t>(*it));
    if (bytes.size() > kMaxBankFileSize) {
        BankRead read;
        read.faults.emplace_back("the file is far larger than a voice bank");
        return read;
    }
    return readVoiceBank(bytes.data(), bytes.size());
}

} // namespace morvane
