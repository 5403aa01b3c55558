// The dump decoder: any bytes are refused or decoded without a fault, a
// decoded voice survives encoding and decoding again unchanged, and its
// message passes the check made before anything is sent or written. The
// same for the TG-33 multi.
#include "DumpCheck.h"
#include "Multi.h"
#include "VoiceData.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace morvane;

namespace {

// A multi read from any bytes, and from the same bytes inside a multi's
// frame with the checksum they need: decoded, encoded and decoded again it
// is the same multi.
void fuzzMulti(const std::uint8_t* data, std::size_t size)
{
    Multi multi;
    decodeMulti(data, size, multi);
    MultiDump message = encodeMulti(initialMulti());
    for (std::size_t i = 0; i < kMultiDataSize && i < size; ++i)
        message[kMultiDataAt + i] = data[i] & 0x7F;
    unsigned sum = 0;
    for (std::size_t i = kFormatIdOffset; i < kMultiChecksumAt; ++i)
        sum += message[i];
    message[kMultiChecksumAt] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    if (!decodeMulti(message.data(), message.size(), multi).empty())
        std::abort();
    const MultiDump again = encodeMulti(multi);
    Multi back;
    if (!decodeMulti(again.data(), again.size(), back).empty() || !(back == multi))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzMulti(data, size);
    VoiceParameters voice;
    VoiceData codec(voice);
    codec.decodeDump(data, size);
    if (size == 0)
        return 0;

    // The same bytes inside a well-formed frame of the layout the first byte
    // picks, so that every field of the decoder is reached.
    const bool tg33 = (data[0] & 1) != 0;
    std::vector<std::uint8_t> message(tg33 ? kTg33DumpSize : kSyDumpSize, 0);
    const std::uint8_t header[] = {kSysExStart, kYamahaId, 0x00, kDumpFormat, 0x04, 0x48};
    std::copy(std::begin(header), std::end(header), message.begin());
    const std::string_view id = tg33 ? kTg33FormatId : kSyFormatId;
    std::copy(id.begin(), id.end(), message.begin() + kFormatIdOffset);
    const std::size_t body = message.size() - 17;
    for (std::size_t i = 0; i < body && i + 1 < size; ++i)
        message[16 + i] = data[1 + i] & 0x7F;
    message.back() = kSysExEnd;
    if (!codec.decodeDump(message.data(), message.size()))
        std::abort();

    if (!encodeCheckedDump(voice).sound())
        std::abort();
    const VoiceDump first = codec.encodeDump();
    const std::vector<std::uint8_t> encoded(first.begin(), first.end());
    VoiceParameters again;
    VoiceData other(again);
    if (!other.decodeDump(encoded.data(), encoded.size()))
        std::abort();
    const VoiceDump second = other.encodeDump();
    if (!std::equal(encoded.begin(), encoded.end(), second.begin()))
        std::abort();
    return 0;
}
