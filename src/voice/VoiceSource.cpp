#include "VoiceSource.h"

#include "VoiceBank.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <fstream>
#include <iterator>

namespace morvane {

namespace {

// Anything longer is neither a voice file nor a bank, whatever it starts with.
constexpr std::streamsize kMaxSourceSize = 16 << 20;

} // namespace

VoiceSource readVoiceSource(const std::string& path)
{
    VoiceSource source;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        source.faults.emplace_back(describe(VoiceFileResult::CannotOpen));
        return source;
    }
    std::vector<std::uint8_t> bytes;
    std::istreambuf_iterator<char> it(in), end;
    for (; it != end && bytes.size() <= static_cast<std::size_t>(kMaxSourceSize); ++it)
        bytes.push_back(static_cast<std::uint8_t>(*it));

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
    const VoiceFileResult result = readVoiceFile(path, data);
    if (result == VoiceFileResult::Loaded)
        source.voices.push_back(voice);
    else
        source.faults.emplace_back(describe(result));
    return source;
}

} // namespace morvane
