// The voice library file: the magic "SYQVD", then one 596-byte record per
// voice (a 4-byte little-endian category mask and the 592-byte voice bulk
// dump). The file is opened by name for each operation and closed at its end;
// only the span between openLibrary and closeLibrary keeps it open.
//
// Nothing here talks to the instrument or to the user: a failure comes back
// as a LibraryResult holding one sentence the caller can show.
#pragma once

#include "Categories.h"
#include "DumpFormat.h"
#include "VoiceLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <functional>
#include <string_view>
#include <vector>

namespace morvane {

class VoiceData;
struct ReadProgress;

inline constexpr std::string_view kLibraryFileName = "SOUNDS.SYL";
inline constexpr std::string_view kLibraryMagic = "SYQVD";
inline constexpr std::size_t kLibraryHeaderSize = kLibraryMagic.size();
inline constexpr std::size_t kRecordMaskSize = 4;
inline constexpr std::size_t kLibraryRecordSize = kRecordMaskSize + kSyDumpSize;
// The voice name sits where an SY-layout dump keeps it; the library has no
// name field of its own.
inline constexpr std::size_t kRecordNameOffset = kRecordMaskSize + kSyNameAt;
inline constexpr std::size_t kRecordNameLength = kNameSize;

static_assert(kLibraryHeaderSize == 5);
static_assert(kLibraryRecordSize == 596);
static_assert(kRecordNameOffset + kRecordNameLength <= kLibraryRecordSize);

// How a stored name byte is listed: anything below 32 taken as a signed byte
// (control characters and every byte from 128 up) shows as a space.
constexpr char nameCharacter(std::uint8_t byte)
{
    return static_cast<std::int8_t>(byte) < 32 ? ' ' : static_cast<char>(byte);
}
static_assert(nameCharacter(0x1F) == ' ' && nameCharacter(0xE9) == ' ' && nameCharacter('A') == 'A');

// The records a file of `fileSize` bytes holds: whole records after the
// header; a cut-off tail does not count.
constexpr int recordCountForSize(std::uintmax_t fileSize)
{
    if (fileSize < kLibraryHeaderSize)
        return 0;
    const std::uintmax_t count = (fileSize - kLibraryHeaderSize) / kLibraryRecordSize;
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}
static_assert(recordCountForSize(600) == 0 && recordCountForSize(601) == 1 && recordCountForSize(1197) == 2);

// Success, or a failure with one sentence for the user.
class [[nodiscard]] LibraryResult {
public:
    LibraryResult() = default;
    static LibraryResult failure(std::string text) { return LibraryResult(std::move(text)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

private:
    explicit LibraryResult(std::string text) : failed_(true), error_(std::move(text)) {}

    bool failed_ = false;
    std::string error_;
};

// One record as the file holds it.
using LibraryRecord = std::array<std::uint8_t, kLibraryRecordSize>;

// Makes `record` the record of the voice of `voiceData` with that category
// mask. Refused, with `record` left as it was, when the voice's message
// does not pass the read-back check (DumpCheck.h).
LibraryResult makeRecord(std::uint32_t mask, const VoiceData& voiceData, LibraryRecord& record);

// What the browser lists of a record.
struct RecordSummary {
    std::string name;           // 8 characters, by nameCharacter
    std::uint32_t categories;   // the stored mask, all 32 bits
    bool operator==(const RecordSummary&) const = default;
};

RecordSummary summarize(const LibraryRecord& record);

// True when `part` occurs in the name, whatever the case of its letters; an
// empty part is in every name.
bool nameContains(std::string_view name, std::string_view part);

// The numbers of the records that carry every category of `filterMask` (with
// `any`: at least one of them) and whose name contains `namePart`, in file
// order.
std::vector<int> filterRecords(const std::vector<RecordSummary>& records, std::uint32_t filterMask,
                               std::string_view namePart, bool any = false);

class VoiceLibrary;

// Holds the lock of a library while it lives. Every change to the library
// (append, overwrite, rewrite) takes the lock for the whole of its
// read-modify-write; a caller that reads first and writes later (an import
// that looks for voices already there) holds one over both. Within one
// VoiceLibrary object the lock nests.
class [[nodiscard]] LibraryLock {
public:
    explicit LibraryLock(VoiceLibrary& library);
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    explicit operator bool() const { return result_.ok(); }
    // Why the lock could not be had.
    const LibraryResult& result() const { return result_; }

private:
    VoiceLibrary& library_;
    LibraryResult result_;
};

class VoiceLibrary {
public:
    explicit VoiceLibrary(std::string path = std::string(kLibraryFileName));
    ~VoiceLibrary();
    VoiceLibrary(const VoiceLibrary&) = delete;
    VoiceLibrary& operator=(const VoiceLibrary&) = delete;

    const std::string& path() const { return path_; }

    // --- The open span -------------------------------------------------

    // Opens the file for reading and writing. A missing file is created
    // holding only the magic; an existing file is never created anew or cut,
    // so one that cannot be opened for reading and writing is reported and
    // left exactly as it is. Does nothing when already open.
    LibraryResult openLibrary();
    void closeLibrary();
    bool isOpen() const { return stream_ != nullptr; }

    // Positions the open stream at the start of record n.
    LibraryResult seekRecord(int n);

    // The 8-character name and the category mask of record n. Bytes past the
    // end of the file read as spaces and as 0. They use the open stream when
    // there is one and otherwise open the file for reading just for the call.
    std::string recordName(int n);
    std::uint32_t recordCategories(int n);

    // Writes the mask and the encoded voice at the open stream's position
    // and flushes it to the disk.
    LibraryResult writeRecord(std::uint32_t mask, const VoiceData& voiceData);

    // --- Whole operations ----------------------------------------------
    // Each opens the file by name and closes it again; an open span is
    // ended first.

    // Whole records in the file; a missing or unreadable file holds none.
    int recordCount() const;

    // Every record's name and mask in file order, read in one forward pass.
    // A missing file gives an empty list and success.
    LibraryResult scanRecords(std::vector<RecordSummary>& records) const;

    // Decodes record n into the voice. A record that is missing, cut short
    // or not a readable voice dump leaves the voice untouched. Sending the
    // voice and refreshing the editors is the caller's task.
    LibraryResult loadRecord(int n, VoiceData& voiceData);

    // Stores the voice with `mask` as a new last record; its number is the
    // count before the call. A missing file is created first. The record is
    // written on the record boundary, replacing a cut-off tail that no count
    // includes. When the write fails the file is put back to its former
    // length and content, so it never ends in a partial record.
    LibraryResult appendRecord(std::uint32_t mask, const VoiceData& voiceData);

    // Replaces record n (which must exist); no other byte changes.
    // `expected`, when given, is the record as the caller last read it: when
    // record n no longer holds exactly that (another program removed, moved
    // or changed it), nothing changes and the failure says so. The same
    // holds for the `expected` of the changes below.
    //
    // A record is replaced in place through a journal: its old bytes (and
    // the new ones) are first written to LIBRARY.journal beside the library
    // and flushed to the disk, then the record, then the journal is removed.
    // When the write fails the old bytes are written back; when the program
    // or the machine stops in between, the next writer to take the lock finds
    // the journal and puts the old record back, so no record is ever left
    // half written. In a folder that takes no new file (no journal can be
    // kept there) this replacement writes the record without one.
    LibraryResult overwriteRecord(int n, std::uint32_t mask, const VoiceData& voiceData,
                                  const LibraryRecord* expected = nullptr);

    // Calls `visit` with every whole record in file order, read in one
    // forward pass. A missing file has none.
    LibraryResult forEachRecord(const std::function<void(int n, const LibraryRecord& record)>& visit) const;

    // Record n as stored.
    LibraryResult readRecord(int n, LibraryRecord& record) const;

    // Appends the records after the last whole record in one write, as
    // appendRecord does with one: all of them are added or none.
    LibraryResult appendRecords(const std::vector<LibraryRecord>& records);

    // Rewrites the file into a new file of its own beside it and moves that
    // into place only when it is complete, so a failure leaves the library
    // as it was. A library that is a symbolic link stays one: the file it
    // names is replaced. Record numbers after a removed record move down.
    // `expected` holds the records of `numbers` as last read (or is empty).
    // With `progress` it can run on a thread of its own: progress counts the
    // records copied, and its cancel stops the rewrite before the new file
    // is moved into place.
    LibraryResult removeRecords(const std::vector<int>& numbers, const std::vector<LibraryRecord>& expected = {},
                                ReadProgress* progress = nullptr);
    // These change one record in place through the journal, as
    // overwriteRecord does, and need it: where no journal can be kept
    // nothing changes. The name: 1 to 8 printable ASCII characters, padded
    // with spaces.
    LibraryResult renameRecord(int n, std::string_view name, const LibraryRecord* expected = nullptr);
    LibraryResult setRecordCategories(int n, std::uint32_t mask, const LibraryRecord* expected = nullptr);

    // Writes each record as a .SYX voice file into `folder`, named after the
    // voice ("Brass 1.SYX"; "Brass 1 (2).SYX" when that name is taken; never
    // over an existing file). Each file is written whole or not at all (see
    // writeFileAtomically). `written` gets the files' paths. Stops at the
    // first failure; the files written until then stay, and the failure says
    // how many they are. `expected` holds the records of `numbers` as last
    // read (or is empty): one that no longer holds that stops the export.
    // With `progress` it can run on a thread of its own: progress counts the
    // files written, and its cancel stops the export between two files.
    LibraryResult exportRecords(const std::vector<int>& numbers, const std::string& folder,
                                std::vector<std::string>& written, const std::vector<LibraryRecord>& expected = {},
                                ReadProgress* progress = nullptr);

    // --- Flushing to the disk --------------------------------------------
    // Every write above reaches the disk before it returns, so a power cut
    // cannot take a stored voice back. That costs a few milliseconds per
    // write; a command that adds many records in a row may turn it off and
    // call flushToDisk once at its end.
    void setFlushEachWrite(bool flush) { flushEachWrite_ = flush; }
    LibraryResult flushToDisk();

    // --- Two writers ---------------------------------------------------
    // The lock is an advisory lock on LIBRARY.lock beside the file the
    // library names (beside the library itself when that folder cannot take
    // a new file). A writer waits for it this long, then gives up and
    // changes nothing.
    static constexpr int kDefaultLockWaitMs = 3000;
    void setLockWait(int milliseconds) { lockWaitMs_ = milliseconds; }
    // The file the library names: a symbolic link resolved.
    std::string targetPath() const;
    // The lock file. A change in place (overwriteRecord, renameRecord,
    // setRecordCategories) also sets its time of change, so that one who
    // sees the library only grown since last looked can tell whether a
    // record changed meanwhile too.
    std::string lockPath() const { return targetPath() + ".lock"; }

private:
    friend class LibraryLock;
    LibraryResult acquireLock();
    void releaseLock();
    // Refuses a library whose permission bits allow no writing, whoever asks.
    LibraryResult checkWritable(const std::string& target) const;
    // Fails unless record n holds exactly `expected`.
    LibraryResult checkExpected(int n, const LibraryRecord& expected);
    // Removes what killed rewrites left beside the library and puts back a
    // record a killed in-place write left behind (only while the lock is
    // held, so no living writer's file is touched).
    void removeLeftovers(const std::string& target) const;
    // Writes PATH.part: the header, then every record but the removed ones,
    // `replace` giving the new content of a record (false: drop it), then
    // moves it over the library.
    LibraryResult rewrite(const std::function<bool(int n, LibraryRecord& record)>& replace,
                          const std::string& what, ReadProgress* progress = nullptr);
    // Writes `record` over record n through the journal (see overwriteRecord);
    // with the lock held and the record checked. `journalNeeded`: refused
    // where no journal can be kept. `what` opens the failure's sentence.
    LibraryResult replaceInPlace(int n, const LibraryRecord& record, bool journalNeeded, const std::string& what);
    // Locks, checks record n (there, as `expected`, the library writable),
    // lets `change` make the new record from the stored one and writes it
    // in place; the journal is needed.
    LibraryResult changeInPlace(int n, const LibraryRecord* expected,
                                const std::function<LibraryResult(LibraryRecord& record)>& change,
                                const std::string& what);
    std::size_t readAt(std::uintmax_t offset, std::uint8_t* buffer, std::size_t size);
    std::string describePath() const;
    LibraryResult checkIsFile() const;

    std::string path_;
    std::FILE* stream_ = nullptr;
    bool flushEachWrite_ = true;
    int lockWaitMs_ = kDefaultLockWaitMs;
    int lockFd_ = -1;
    int lockDepth_ = 0;
};

} // namespace morvane
