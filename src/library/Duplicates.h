// Voices that are the same. Two voices are the same when their dumps, as
// this program writes them, are equal byte for byte over the whole voice
// (from the effect byte to the last vector step, name included); as a second
// level, when they are equal in everything but the name. The device byte and
// the checksums are not the voice. Stored records are compared as the
// encoder writes them today, so records written by an older version still
// match.
#pragma once

#include "VoiceLibrary.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace morvane {

using VoiceDump = std::array<std::uint8_t, kSyDumpSize>;

// The dump of a stored record as the encoder writes it today.
VoiceDump canonicalDump(const LibraryRecord& record);

bool sameVoice(const VoiceDump& a, const VoiceDump& b);
bool sameButName(const VoiceDump& a, const VoiceDump& b);

// The voices of a library, and of voices about to be added to it, by the
// two kinds of sameness. Only hashes are kept; a hash that matches is
// confirmed byte for byte.
class DuplicateIndex {
public:
    explicit DuplicateIndex(const VoiceLibrary& library) : library_(library) {}

    // Reads every record in one pass.
    LibraryResult build();

    struct Match {
        int exact = -1;      // a record (or pending voice) that is the same voice
        int nameOnly = -1;   // one that differs only in name, when none is the same
    };
    Match find(const VoiceDump& dump);

    // A voice about to become record `number`.
    void addPending(const VoiceDump& dump, int number);

    // Groups of two or more records: the same voice; and the same but for the
    // name (where the group holds more than one voice of the first kind).
    struct Groups {
        std::vector<std::vector<int>> exact;
        std::vector<std::vector<int>> nameOnly;
    };
    LibraryResult groups(Groups& groups);

private:
    bool dumpOf(int number, VoiceDump& dump);
    void insert(const VoiceDump& dump, int number);

    const VoiceLibrary& library_;
    int stored_ = 0;
    std::unordered_multimap<std::uint64_t, int> exact_;
    std::unordered_multimap<std::uint64_t, int> nameless_;
    std::unordered_map<int, VoiceDump> pending_;
};

} // namespace morvane
