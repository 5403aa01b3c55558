#include "VoiceFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace morvane {

std::vector<std::uint8_t> collectVoiceMessage(std::istream& in)
{
    std::vector<std::uint8_t> collected;
    std::istreambuf_iterator<char> it(in), end;
    while (it != end && static_cast<std::uint8_t>(*it) != kSysExStart)
        ++it;
    while (it != end && collected.size() < kMaxCollectedBytes) {
        collected.push_back(static_cast<std::uint8_t>(*it));
        // Do not advance past the last byte we keep: bytes after it are not read.
        if (collected.size() < kMaxCollectedBytes)
            ++it;
    }
    return collected;
}

VoiceFileResult readVoiceFile(const std::string& path, VoiceData& voiceData)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return VoiceFileResult::CannotOpen;
    const std::vector<std::uint8_t> message = collectVoiceMessage(in);
    if (in.bad())
        return VoiceFileResult::CannotOpen;
    if (message.empty() || message.back() != kSysExEnd)
        return VoiceFileResult::NoMessage;
    if (!voiceData.decodeDump(message.data(), message.size()))
        return VoiceFileResult::TooShort;
    return VoiceFileResult::Loaded;
}

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temp = target;
    temp += ".part";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (written && flushed && closed) {
        fs::rename(temp, target, error);
        if (!error)
            return true;
    }
    fs::remove(temp, error);
    return false;
}

bool writeVoiceFile(const std::string& path, const VoiceData& voiceData)
{
    const VoiceDump dump = voiceData.encodeDump();
    return writeFileAtomically(path, dump.data(), dump.size());
}

const char* describe(VoiceFileResult result)
{
    switch (result) {
    case VoiceFileResult::Loaded: return "voice loaded";
    case VoiceFileResult::CannotOpen: return "cannot open the file";
    case VoiceFileResult::NoMessage: return "no System Exclusive voice dump in the file";
    case VoiceFileResult::TooShort: return "the voice dump in the file is too short for its layout";
    }
    return "unknown result";
}

} // namespace morvane
