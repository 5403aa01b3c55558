// The JSON reader on any text: a voice or one error line, never a fault. A
// voice it takes is written as a file, and that file printed as JSON builds
// the very same file again. A multi it takes holds only values within their
// ranges and comes back the same through its JSON.
#include "VoiceData.h"
#include "VoiceJson.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace morvane;

namespace {

std::vector<std::uint8_t> encoded(const VoiceData& codec)
{
    const VoiceDump dump = codec.encodeDump();
    return {dump.begin(), dump.end()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (Multi multi = initialMulti(); multiFromJson(text, multi).empty()) {
        Multi again = initialMulti();
        if (!findMultiFieldOutOfRange(multi).empty() || !multiFromJson(multiToJson(multi), again).empty()
            || !(again == multi))
            std::abort();
    }

    // Fields the JSON leaves out keep the reset voice's values, as in the tool.
    VoiceParameters voice;
    VoiceData codec(voice);
    if (!voiceFromJson(std::string(reinterpret_cast<const char*>(data), size), voice).empty())
        return 0;
    const std::vector<std::uint8_t> file = encoded(codec);

    VoiceParameters read;
    VoiceData reader(read);
    if (!reader.decodeDump(file.data(), file.size()))
        std::abort();
    const std::vector<std::uint8_t> readBack = encoded(reader);
    VoiceParameters rebuilt;
    VoiceData builder(rebuilt);
    if (!voiceFromJson(voiceToJson(read), rebuilt).empty() || encoded(builder) != readBack)
        std::abort();
    return 0;
}
