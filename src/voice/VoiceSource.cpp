#include "VoiceSource.h"

#include "VoiceBank.h"
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

    if (bankLayout(bytes.data(), bytes.size())) {
        source.bank = true;
        BankRead read = readVoiceBank(bytes.data(), bytes.size());
        source.faults = std::move(read.faults);
        for (int slot = 0; slot < kBankVoices; ++slot) {
            SourceVoice voice{slot + 1, {}};
            if (read.bank.decode(slot, voice.voice))
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
