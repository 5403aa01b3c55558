// The voice-file reader on any file content: loaded or refused, never a
// fault, and a refused file leaves the voice as it was.
#include "FuzzFile.h"
#include "VoiceFile.h"

#include <cstring>

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile file;
    file.fill(data, size);
    VoiceParameters voice;
    VoiceData codec(voice);
    const VoiceParameters before = voice;
    if (readVoiceFile(file.path(), codec) != VoiceFileResult::Loaded
        && std::memcmp(&before, &voice, sizeof voice) != 0)
        std::abort();
    return 0;
}
