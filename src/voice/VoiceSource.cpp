#include "VoiceSource.h"

#include "Tg33Bank.h"
#include "VoiceData.h"
#include "VoiceFile.h"


namespace morvane {

namespace {

// Anything longer is neither a voice file nor a bank, whatever it starts with.
constexpr std::size_t kMaxSourceSize = 16 << 20;

} // namespace

VoiceSource readVoiceSource(const std::string& path)
{
    VoiceSource source;
    std::vector<std::uint8_t> bytes;
    if (const VoiceFileResult read = readRegularFile(path, bytes, kMaxSourceSize); read != VoiceFileResult::Loaded) {
        source.faults.emplace_back(describe(read));
        return source;
    }

    if (isTg33Bank(bytes.data(), bytes.size())) {
        source.bank = true;
        BankContents bank = readTg33Bank(bytes.data(), bytes.size());
        source.faults = std::move(bank.faults);
        for (const BankVoice& whole : bank.voices) {
            SourceVoice voice{whole.number, {}};
            VoiceData data(voice.voice);
            data.decodeDump(whole.message.data(), whole.message.size());  // always the full 605 bytes
            source.voices.push_back(voice);
        }
        return source;
    }
    SourceVoice voice{0, {}};
    VoiceData data(voice.voice);
    // Decoded from the bytes already read: the file is opened once.
    std::vector<std::uint8_t> message;
    VoiceFileResult result = voiceMessageOf(bytes.data(), bytes.size(), message);
    if (result == VoiceFileResult::Loaded && !data.decodeDump(message.data(), message.size()))
        result = VoiceFileResult::NotAVoice;
    if (result == VoiceFileResult::Loaded)
        source.voices.push_back(voice);
    else
        source.faults.emplace_back(describe(result));
    return source;
}

} // namespace morvane
