// Voice files (.SYX): one voice bulk dump. Reading is lenient about where the
// message starts (bytes before it are skipped) and about its byte count and
// checksum, but takes only a voice dump of these instruments; writing stores
// exactly the message that VoiceData::encodeDump builds.
#pragma once

#include "VoiceData.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

inline constexpr std::size_t kMaxCollectedBytes = kTg33DumpSize;

enum class VoiceFileResult {
    Loaded,
    CannotOpen,     // missing or not permitted
    NotAFile,       // a folder, a device, a pipe: only regular files are read
    ReadError,      // the system failed while reading
    NoMessage,      // no F0, or the collected bytes do not end in F7
    TooShort,       // ends in F7 but is shorter than its layout needs
    NotAVoice,      // a System Exclusive message that is not a voice dump
    TooLarge,       // far larger than any voice file or bank
};

// Reads the whole of the file at `path` into `bytes`, the one way files from
// outside are read: only a regular file is read (a folder, a device or a pipe
// gives NotAFile, and opening never waits for a pipe's writer), nothing throws,
// and a file of more than `maxSize` bytes gives TooLarge with nothing read.
// Loaded on success.
VoiceFileResult readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t maxSize);

// Creates a new, empty file beside `target` named TARGET.<random>.part, under
// a name no other file has: it is created exclusively, so an existing file or
// link of that name is never opened. Returns its descriptor, open for writing,
// and sets `name`; -1 with errno set when no file could be made.
int createFileBeside(const std::string& target, std::string& name);

// Reads the message of the voice file at `path`: every byte before the first
// F0 is skipped, then bytes are collected until the end of the file or until
// 605 have been collected. Loaded when they end in F7 and are long enough for
// their layout; whether they are a voice dump is left to the decoder.
VoiceFileResult readVoiceMessage(const std::string& path, std::vector<std::uint8_t>& message);

// The same collection from bytes already read.
VoiceFileResult voiceMessageOf(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& message);

// Reads the voice file at `path` into the voice of `voiceData`; anything but
// Loaded leaves the voice untouched.
VoiceFileResult readVoiceFile(const std::string& path, VoiceData& voiceData);

// Writes the encoded voice to `path` (see writeFileAtomically), only when
// its message passes the read-back check (DumpCheck.h). On failure nothing
// is written and `error`, when given, says why.
bool writeVoiceFile(const std::string& path, const VoiceData& voiceData, std::string* error = nullptr);

// Writes any bytes to `path`, all or nothing. The bytes go to a new file of
// its own beside the target, are flushed to the disk, and only then is that
// file moved over the target, whose folder is flushed in turn; on any failure
// the new file is removed and the target is as it was. A target that exists
// must be a regular file that may be written (one made read-only is refused,
// even for the superuser); it keeps its permissions. A symbolic link is
// followed and the file it names is replaced.
bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

// One line for the user.
const char* describe(VoiceFileResult result);

} // namespace morvane
