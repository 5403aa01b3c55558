// A TG-33 multi: its common part and sixteen parts, one per MIDI channel,
// the codec of its edit-buffer dump and its .SYX files. Every value is kept
// by its row of the multi table (MultiLayout.h), the bytes nobody has
// explained among them, so an edited multi sends back what it was given.
#pragma once

#include "DumpFormat.h"
#include "MultiLayout.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

struct MultiPart {
    std::array<int, kMultiPartRows.size()> values{};

    int operator[](PartField f) const { return values[rowIndex(f)]; }
    int& operator[](PartField f) { return values[rowIndex(f)]; }
    bool operator==(const MultiPart&) const = default;
};

struct Multi {
    std::array<int, kMultiCommonRows.size()> common{};  // the name's entry is unused
    std::array<char, 8> name{};
    std::array<MultiPart, kMultiParts> parts{};

    int operator[](MultiField f) const { return common[rowIndex(f)]; }
    int& operator[](MultiField f) { return common[rowIndex(f)]; }
    std::string nameText() const { return std::string(name.begin(), name.end()); }
    bool operator==(const Multi&) const = default;
};

// A new multi, as other editors start one: "Untitled", every part at full
// volume in the middle playing the first internal voice, only part 1 on.
Multi initialMulti();

using MultiDump = std::array<std::uint8_t, kMultiDumpSize>;

// The edit-buffer dump of a multi with `channel` in its device byte. Every
// value is masked to the bits it travels in, so the message is valid System
// Exclusive whatever the record holds.
MultiDump encodeMulti(const Multi& multi, MidiChannel channel = {});

// The multi dump request for a device number.
std::array<std::uint8_t, kRequestSize> multiRequest(MidiChannel channel);

// True when a message is a multi dump (F0 43 0n 7E, the identifier at 6), or
// a multi dump request; nothing else of the message is examined.
bool isMultiDump(const std::uint8_t* message, std::size_t size);
bool isMultiRequest(const std::uint8_t* message, std::size_t size);

// Reads a multi dump into `multi`: the frame, its length, every data byte
// and the checksum must be right (the byte count is not examined: files
// carry wrong ones). Returns an empty text on success; otherwise one line
// saying what is wrong, and `multi` is left untouched.
std::string decodeMulti(const std::uint8_t* message, std::size_t size, Multi& multi);

// The slot a part's voice has in its bank, as the instrument names it:
// "IA1" for the first internal voice, "P1 A1" and "P2 A1" for the presets'.
std::string multiSlotName(int bank, int voice);

// The first named field outside its range, as "part3.volume = 200 (0..127)",
// or an empty text.
std::string findMultiFieldOutOfRange(const Multi& multi);

// Reads the multi file at `path`: bytes before the first F0 are skipped,
// the message runs to the first F7. Empty on success, else what is wrong.
std::string readMultiFile(const std::string& path, Multi& multi);

// Writes the multi's message (device byte 0) to `path` all or nothing, only
// after it has read back as the same multi. Empty on success, else why not.
std::string writeMultiFile(const std::string& path, const Multi& multi);

} // namespace morvane
