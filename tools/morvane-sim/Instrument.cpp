#include "Instrument.h"

#include "DumpFormat.h"
#include "SysEx.h"
#include "DumpCheck.h"
#include "Tg33Dump.h"
#include "VoiceFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace morvane {

namespace {

std::string hexByte(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

std::string quoted(const std::uint8_t* data, std::size_t size)
{
    std::string text = "\"";
    for (std::size_t i = 0; i < size; ++i)
        text += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '?';
    return text + "\"";
}

// A dump request: F0 43 2n 7E, a layout's identifier, F7.
bool isRequest(const std::uint8_t* data, std::size_t size, DumpLayout& layout)
{
    if (size != kRequestSize || data[0] != kSysExStart || data[1] != kYamahaId || (data[2] & 0xF0) != 0x20
        || data[3] != kDumpFormat || data[size - 1] != kSysExEnd)
        return false;
    const std::string_view id(reinterpret_cast<const char*>(data + 4), kSyFormatId.size());
    if (id == kSyFormatId)
        layout = DumpLayout::Sy;
    else if (id == kTg33FormatId)
        layout = DumpLayout::Tg33;
    else
        return false;
    return true;
}

} // namespace

Instrument::Instrument(Options options) : options_(options)
{
    VoiceParameters voice;
    VoiceData data(voice);
    for (int slot = 0; slot < kBankVoices; ++slot) {
        data.resetParameters();
        char name[9];
        std::snprintf(name, sizeof name, "SIM %02d", slot + 1);
        setVoiceName(voice.common, name);
        voice.common.effectType = static_cast<std::uint8_t>(slot % 16);
        voice.elementA.waveform = static_cast<std::uint8_t>(slot);
        syBank_.putVoice(slot, voice);
        tgBank_.putVoice(slot, voice);
    }
    std::vector<std::uint8_t> multi(kSyBankFormat.multiSize);
    for (std::size_t i = 0; i < multi.size(); ++i)
        multi[i] = static_cast<std::uint8_t>((i * 5 + 3) & 0x7F);
    syBank_.setMulti(multi);

    multi_ = initialMulti();
    constexpr std::string_view kMultiName = "SIM MULT";
    std::copy(kMultiName.begin(), kMultiName.end(), multi_.name.begin());
    for (int p = 0; p < kMultiParts; ++p) {
        MultiPart& part = multi_.parts[static_cast<std::size_t>(p)];
        part[PartField::On] = 1;
        part[PartField::Voice] = p;
        part[PartField::Volume] = 100 + p;
    }
}

bool Instrument::handleMulti(const std::uint8_t* data, std::size_t size, Response& response)
{
    if (isMultiRequest(data, size)) {
        const int channel = channelOfDeviceByte(data[kDeviceByte]).index();
        response.log = "received multi request device " + hexByte(data[kDeviceByte]);
        if ((options_.device >= 0 && channel != options_.device)
            || (options_.layout && *options_.layout != DumpLayout::Tg33)) {
            response.log += " (not for this instrument)";
        } else if (options_.silent) {
            response.log += " (not answered)";
        } else {
            const MultiDump dump = encodeMulti(multi_, MidiChannel::lowNibble(channel));
            response.reply.assign(dump.begin(), dump.end());
            response.replyLog = "sent multi device " + hexByte(dump[kDeviceByte]) + " bytes "
                                + std::to_string(dump.size()) + " name "
                                + quoted(reinterpret_cast<const std::uint8_t*>(multi_.name.data()), multi_.name.size());
        }
        return true;
    }
    if (!isMultiDump(data, size))
        return false;
    response.log = "received multi device " + hexByte(data[kDeviceByte]) + " bytes " + std::to_string(size);
    Multi received;
    if (const std::string fault = decodeMulti(data, size, received); !fault.empty()) {
        response.log += " not stored: " + fault;
        return true;
    }
    multi_ = received;
    response.log += " name " + quoted(reinterpret_cast<const std::uint8_t*>(multi_.name.data()), multi_.name.size());
    for (int p = 0; p < kMultiParts; ++p) {
        const MultiPart& part = multi_.parts[static_cast<std::size_t>(p)];
        if (part[PartField::On] != 0)
            response.log += " " + std::to_string(p + 1) + ":" + std::to_string(part[PartField::Bank]) + "/"
                            + std::to_string(part[PartField::Voice]) + "@" + std::to_string(part[PartField::Volume]);
    }
    return true;
}

std::string Instrument::loadBankFile(const std::string& path)
{
    BankRead read = readVoiceBankFile(path);
    if (!read.faults.empty())
        return read.faults.front();
    (*read.layout == DumpLayout::Tg33 ? tgBank_ : syBank_) = read.bank;
    return {};
}

std::vector<std::string> Instrument::progress(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines;
    const std::optional<DumpLayout> layout = bankLayout(data, size);
    if (!layout) {
        blocksSeen_ = 0;
        return lines;
    }
    const BankFormat& f = bankFormat(*layout);
    const int blocks = bankBlocks(f);
    if (size < seenSize_)
        blocksSeen_ = 0;   // another bank began
    seenSize_ = size;
    while (blocksSeen_ < blocks && bankBlockStart(f, blocksSeen_ + 1) <= size) {
        ++blocksSeen_;
        lines.push_back("received bank block " + std::to_string(blocksSeen_) + " of " + std::to_string(blocks));
    }
    return lines;
}

VoiceFileResult Instrument::loadVoiceFile(const std::string& path)
{
    return readVoiceFile(path, voiceData_);
}

std::vector<std::vector<std::uint8_t>> Instrument::foreignMessages()
{
    VoiceParameters voice{};
    std::memcpy(voice.common.name, "FOREIGN!", sizeof voice.common.name);
    voice.common.effectType = 9;
    voice.levelVectorSpeed = 5;
    const VoiceDump dump = encodeDump(voice);
    const std::vector<std::uint8_t> whole(dump.begin(), dump.end());

    std::vector<std::uint8_t> otherMaker = whole;
    otherMaker[1] = 0x41;

    std::vector<std::uint8_t> truncated(whole.begin(), whole.begin() + 300);
    truncated.push_back(kSysExEnd);

    std::vector<std::uint8_t> overlong(whole.begin(), whole.end() - 1);
    overlong.insert(overlong.end(), 8, 0x00);
    overlong.push_back(kSysExEnd);
    return {otherMaker, truncated, overlong};
}

Instrument::Response Instrument::handle(const std::uint8_t* data, std::size_t size)
{
    Response response;
    if (handleMulti(data, size, response))
        return response;
    if (const auto layout = bankRequestLayout(data, size)) {
        const int channel = data[kDeviceByte] & 0x0F;
        response.log = "received bank request " + quoted(data + 4, kSyFormatId.size()) + " device "
                       + hexByte(data[kDeviceByte]);
        if (options_.silent) {
            response.log += " (not answered)";
            return response;
        }
        const std::vector<std::uint8_t> message = bank(*layout).encode(channel);
        response.bankBlocks = bankPieces(message);
        response.replyLog = "sent bank " + quoted(message.data() + kFormatIdOffset, kSyFormatId.size()) + " device "
                            + hexByte(message[kDeviceByte]) + " bytes " + std::to_string(message.size());
        return response;
    }
    if (const auto layout = bankLayout(data, size)) {
        // The blocks that progress() has not told of yet.
        response.blockLog = progress(data, size);
        blocksSeen_ = 0;
        seenSize_ = 0;
        BankRead read = readVoiceBank(data, size);
        std::string log = "received bank " + quoted(data + kFormatIdOffset, kSyFormatId.size()) + " device "
               + hexByte(data[kDeviceByte]) + " bytes " + std::to_string(size);
        if (read.faults.empty() && read.bank.complete()) {
            (*layout == DumpLayout::Tg33 ? tgBank_ : syBank_) = read.bank;
            log += " stored, first voice " + quoted(reinterpret_cast<const std::uint8_t*>(read.bank.name(0).c_str()),
                                                    kNameSize);
        } else {
            log += " not stored: " + (read.faults.empty() ? read.bank.missing() : read.faults.front());
        }
        response.log = log;
        return response;
    }
    DumpLayout requested{};
    if (isRequest(data, size, requested)) {
        const int channel = channelOfDeviceByte(data[kDeviceByte]).index();
        response.log = "received request " + quoted(data + 4, kSyFormatId.size()) + " device "
                       + hexByte(data[kDeviceByte]);
        // An instrument set to another device number, or of the other
        // model, takes no notice of the request.
        if ((options_.device >= 0 && channel != options_.device) || (options_.layout && *options_.layout != requested)) {
            response.log += " (not for this instrument)";
            return response;
        }
        if (options_.sendForeign)
            response.foreign = foreignMessages();
        if (options_.silent) {
            response.log += " (not answered)";
            return response;
        }
        const CheckedDump checked = encodeCheckedDump(voice_);
        if (!checked.sound()) {
            response.log += " (not answered: " + checked.fault + ")";
            return response;
        }
        if (requested == DumpLayout::Tg33) {
            const auto dump = tg33DumpFromSy(checked.dump.data(), channel);
            response.reply.assign(dump.begin(), dump.end());
        } else {
            response.reply.assign(checked.dump.begin(), checked.dump.end());
            response.reply[kDeviceByte] = static_cast<std::uint8_t>(channel);
        }
        response.replyLog = "sent dump " + quoted(response.reply.data() + kFormatIdOffset, kSyFormatId.size())
                            + " device " + hexByte(response.reply[kDeviceByte]) + " bytes "
                            + std::to_string(response.reply.size());
        return response;
    }

    if (const auto layout = voiceDumpLayout(data, size)) {
        voiceData_.decodeDump(data, size);
        response.tookVoice = true;
        response.log = "received dump " + quoted(data + kFormatIdOffset, kSyFormatId.size()) + " device "
                       + hexByte(data[kDeviceByte]) + " bytes " + std::to_string(size) + " name "
                       + quoted(reinterpret_cast<const std::uint8_t*>(voice_.common.name),
                                sizeof voice_.common.name);
        return response;
    }

    if (size > 0 && data[0] >= 0x80 && data[0] < 0xF0) {
        // Channel messages are only logged: the test note's note-on and
        // note-off, with their channel as the instrument numbers it (1-16).
        const int status = data[0] & 0xF0;
        const std::string kind = status == 0x90 ? "note-on" : status == 0x80 ? "note-off" : "channel message " + hexByte(data[0]);
        response.log = "received " + kind + " channel " + std::to_string((data[0] & 0x0F) + 1);
        if ((status == 0x80 || status == 0x90) && size >= 3)
            response.log += " key " + std::to_string(data[1]) + " velocity " + std::to_string(data[2]);
        return response;
    }

    response.log = "received other sysex bytes " + std::to_string(size)
                   + (size > 1 ? " maker " + hexByte(data[1]) : std::string{}) + " (ignored)";
    return response;
}

} // namespace morvane
