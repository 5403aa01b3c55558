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
#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace morvane {

using VoiceDump = std::array<std::uint8_t, kSyDumpSize>;

// Shared with another thread while a long read runs: it may ask the read to
// stop, and sees how far it got (records read of total).
struct ReadProgress {
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
};

// The dump of a stored record (or of the dump it holds) as the encoder
// writes it today.
VoiceDump canonicalDump(const LibraryRecord& record);
VoiceDump canonicalDump(const VoiceDump& stored);

bool sameVoice(const VoiceDump& a, const VoiceDump& b);
bool sameButName(const VoiceDump& a, const VoiceDump& b);

// The two hashes of one record, as kept beside the library.
struct KeptHashes {
    std::uint64_t exact;
    std::uint64_t nameless;
};

// Carries the hashes kept beside a library through a rewrite of it: the
// rewrite tells what became of each record, and the new file's hashes are
// kept without hashing again any voice but the changed ones (the same for a
// record replaced in place). Does nothing
// when the kept hashes did not describe the library as it was.
class HashCarry {
public:
    explicit HashCarry(const std::string& target);
    bool active() const { return active_; }
    // Old record n was dropped (after is null) or written as `after`.
    void follow(int n, const LibraryRecord& before, const LibraryRecord* after);
    // Or, for a change in place: record n now holds `record`, the others stay.
    void replaced(int n, const LibraryRecord& record);
    // Once the new file is in place.
    void keep() const;

private:
    std::string target_;
    bool active_ = false;
    std::vector<KeptHashes> old_;
    std::vector<KeptHashes> new_;
};

// The voices of a library, and of voices about to be added to it, by the
// two kinds of sameness. Only hashes are kept; a hash that matches is
// confirmed byte for byte.
class DuplicateIndex {
public:
    explicit DuplicateIndex(const VoiceLibrary& library) : library_(library) {}

    // Reads every record in one pass.
    LibraryResult build();

    // Makes the index ready to look for the voices of `wanted` (and those
    // then added by addPending) without reading the whole library each time:
    // the two hashes of every record are kept in TARGET.hashes beside the
    // library, with the library's size and time of change when they were
    // last brought up to date. Records appended since are read and hashed;
    // when the library was changed in any other way, or nothing was kept,
    // every record is. Call with the library locked. The kept file is only a
    // help: one that is missing, damaged or cannot be written costs time,
    // never a wrong answer, as every match is confirmed against the record.
    // With `progress`, a cancel stops the reading; the index is then not
    // ready (cancelled() says so) and nothing is kept.
    LibraryResult prepare(const std::vector<VoiceDump>& wanted, ReadProgress* progress = nullptr);
    bool cancelled() const { return cancelled_; }
    // The caller appended these voices as records `first` on (with the lock
    // still held since prepare): their hashes are kept with the others.
    void appended(int first, const std::vector<VoiceDump>& dumps);
    // The kept hashes of the library at `target` (the file a library names).
    static std::string hashesPath(const std::string& target) { return target + ".hashes"; }

    struct Match {
        int exact = -1;      // a record (or pending voice) that is the same voice
        int nameOnly = -1;   // one that differs only in name, when none is the same
    };
    Match find(const VoiceDump& dump);

    // A voice about to become record `number`.
    void addPending(const VoiceDump& dump, int number);

    // Groups of two or more records: the same voice; and the same but for the
    // name (where the group holds more than one voice of the first kind).
    // Brings the kept hashes up to date as prepare does: call with the
    // library locked.
    struct Groups {
        std::vector<std::vector<int>> exact;
        std::vector<std::vector<int>> nameOnly;
    };
    LibraryResult groups(Groups& groups);

private:
    bool dumpOf(int number, VoiceDump& dump);
    void insert(const VoiceDump& dump, int number);

    using Hashes = KeptHashes;
    // Writes kept_ beside the library, stamped with the library as it is now.
    void keep();

    const VoiceLibrary& library_;
    int stored_ = 0;
    std::vector<Hashes> kept_;   // every record's, after prepare
    bool cancelled_ = false;
    std::unordered_multimap<std::uint64_t, int> exact_;
    std::unordered_multimap<std::uint64_t, int> nameless_;
    std::unordered_map<int, VoiceDump> pending_;
};

} // namespace morvane
