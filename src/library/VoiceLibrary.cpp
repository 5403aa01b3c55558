#include "VoiceLibrary.h"

#include "DumpCheck.h"
#include "Duplicates.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <chrono>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

// Records read per block by scanRecords: about 600 KB, whole records only.
constexpr std::size_t kScanBlockRecords = 1024;

using Record = LibraryRecord;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::uintmax_t recordOffset(int n)
{
    return kLibraryHeaderSize + static_cast<std::uintmax_t>(n) * kLibraryRecordSize;
}

std::string reason(int error)
{
    return std::generic_category().message(error);
}

bool seekTo(std::FILE* file, std::uintmax_t offset)
{
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// The size of an open file, or -1.
long fileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    return std::ftell(file);
}

std::uint32_t readMask(const std::uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string readName(const std::uint8_t* bytes, std::size_t available)
{
    std::string name(kRecordNameLength, ' ');
    for (std::size_t i = 0; i < std::min(available, kRecordNameLength); ++i)
        name[i] = nameCharacter(bytes[i]);
    return name;
}

// The sentence for a record the caller read that is no longer at its number.
std::string movedText(const LibraryRecord& expected, const std::string& library)
{
    std::string name = readName(expected.data() + kRecordNameOffset, kRecordNameLength);
    name.erase(name.find_last_not_of(' ') + 1);
    return "The voice \"" + name + "\" is no longer where it was in " + library + ": another program changed the library.";
}

void writeMask(std::uint32_t mask, std::uint8_t* bytes)
{
    for (std::size_t i = 0; i < kRecordMaskSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(mask >> (8 * i));
}

// The error number of the call that just failed; some failures set none.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

// Writes at `offset` and hands the bytes to the system; on failure returns
// the error number.
int writeAt(std::FILE* file, std::uintmax_t offset, const std::uint8_t* data, std::size_t size)
{
    errno = 0;
    if (!seekTo(file, offset) || std::fwrite(data, 1, size, file) != size || std::fflush(file) != 0)
        return lastError();
    return 0;
}

// Makes the system put the file's bytes on the disk; the error number or 0.
int syncToDisk(std::FILE* file)
{
    errno = 0;
    return ::fsync(::fileno(file)) == 0 ? 0 : lastError();
}

// Closes a stream that was written to; on failure returns the error number.
int closeWritten(std::FILE* file)
{
    errno = 0;
    return std::fclose(file) == 0 ? 0 : lastError();
}

// Flushes a folder, so that a rename inside it survives a power cut.
void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// --- The journal of an in-place write ---------------------------------------
// LIBRARY.journal: the magic, the offset of the bytes replaced (8 bytes) and
// their count (4 bytes), little-endian; the old bytes, the new bytes; a
// check of everything before it (FNV-1a, 8 bytes). It is whole and flushed
// to the disk before the library is touched, and removed once the library
// is; one that is found whole means the write may have stopped half way.

constexpr std::string_view kJournalMagic = "SYQVDJ01";
constexpr std::size_t kJournalHead = kJournalMagic.size() + 8 + 4;
// A journal is never larger than this; anything larger is not one of ours.
constexpr std::size_t kJournalMost = kJournalHead + 2 * kLibraryRecordSize + 8;

std::string journalPath(const std::string& target)
{
    return target + ".journal";
}

std::uint64_t journalCheck(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

void putLittle(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t getLittle(const std::uint8_t* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

std::vector<std::uint8_t> journalOf(std::uintmax_t offset, const LibraryRecord& before, const LibraryRecord& after)
{
    std::vector<std::uint8_t> bytes(kJournalMagic.begin(), kJournalMagic.end());
    putLittle(bytes, offset, 8);
    putLittle(bytes, before.size(), 4);
    bytes.insert(bytes.end(), before.begin(), before.end());
    bytes.insert(bytes.end(), after.begin(), after.end());
    putLittle(bytes, journalCheck(bytes.data(), bytes.size()), 8);
    return bytes;
}

// Writes all of `size` bytes to a descriptor; the error number or 0.
int writeWhole(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        errno = 0;
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return lastError();
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return 0;
}

// Undoes what an in-place write of the library at `target` left unfinished.
// A journal that is not whole was being written when the write stopped, and
// the library was not touched yet: it only goes. A whole one puts the old
// bytes back, but only over bytes that are each the old or the new one (a
// library changed otherwise since is left alone). The journal stays when the
// library cannot be written, for a later writer to try again.
void undoJournal(const std::string& target)
{
    const std::string journal = journalPath(target);
    const int fd = ::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    std::vector<std::uint8_t> bytes(kJournalMost + 1);
    struct stat status {};
    std::size_t size = 0;
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    while (regular && size < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (!regular)
        return;  // not ours to remove
    const std::size_t length = size >= kJournalHead ? static_cast<std::size_t>(getLittle(bytes.data() + 16, 4)) : 0;
    const bool whole = size >= kJournalHead && std::equal(kJournalMagic.begin(), kJournalMagic.end(), bytes.begin())
                       && length > 0 && length <= kLibraryRecordSize && size == kJournalHead + 2 * length + 8
                       && getLittle(bytes.data() + size - 8, 8) == journalCheck(bytes.data(), size - 8);
    if (whole) {
        const std::uint64_t offset = getLittle(bytes.data() + 8, 8);
        const std::uint8_t* before = bytes.data() + kJournalHead;
        const std::uint8_t* after = before + length;
        const FileHandle file(std::fopen(target.c_str(), "r+b"));
        if (!file)
            return;
        std::vector<std::uint8_t> now(length);
        const long fileLength = fileSize(file.get());
        const bool there = fileLength >= 0 && offset + length <= static_cast<std::uint64_t>(fileLength)
                           && seekTo(file.get(), offset) && std::fread(now.data(), 1, length, file.get()) == length;
        bool ours = there;
        for (std::size_t i = 0; ours && i < length; ++i)
            ours = now[i] == before[i] || now[i] == after[i];
        if (ours && !std::equal(now.begin(), now.end(), before)
            && (writeAt(file.get(), offset, before, length) != 0 || syncToDisk(file.get()) != 0))
            return;
    }
    ::unlink(journal.c_str());
    syncFolder(std::filesystem::path(target).parent_path());
}

} // namespace

namespace {

// Names are ASCII; the locale plays no part.
constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

// `lowerPart` is already in lower case.
bool containsLowered(std::string_view name, std::string_view lowerPart)
{
    if (lowerPart.size() > name.size())
        return false;
    for (std::size_t at = 0; at + lowerPart.size() <= name.size(); ++at) {
        std::size_t i = 0;
        while (i < lowerPart.size() && lowerAscii(name[at + i]) == lowerPart[i])
            ++i;
        if (i == lowerPart.size())
            return true;
    }
    return false;
}

} // namespace

bool nameContains(std::string_view name, std::string_view part)
{
    return containsLowered(name, lowered(part));
}

std::vector<int> filterRecords(const std::vector<RecordSummary>& records, std::uint32_t filterMask,
                               std::string_view namePart, bool any)
{
    const std::string part = lowered(namePart);
    std::vector<int> rows;
    for (std::size_t n = 0; n < records.size(); ++n)
        if ((any ? matchesAnyCategory(records[n].categories, filterMask)
                 : matchesFilter(records[n].categories, filterMask))
            && containsLowered(records[n].name, part))
            rows.push_back(static_cast<int>(n));
    return rows;
}

RecordSummary summarize(const LibraryRecord& record)
{
    return {readName(record.data() + kRecordNameOffset, kRecordNameLength), readMask(record.data())};
}

LibraryResult makeRecord(std::uint32_t mask, const VoiceData& voiceData, LibraryRecord& record)
{
    const CheckedDump checked = encodeCheckedDump(voiceData.parameters());
    if (!checked.sound())
        return LibraryResult::failure("The voice was not stored: " + checked.fault + ".");
    writeMask(mask, record.data());
    std::copy(checked.dump.begin(), checked.dump.end(), record.begin() + kRecordMaskSize);
    return {};
}

LibraryLock::LibraryLock(VoiceLibrary& library) : library_(library), result_(library.acquireLock()) {}

LibraryLock::~LibraryLock()
{
    if (result_.ok())
        library_.releaseLock();
}

std::string VoiceLibrary::targetPath() const
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path_, error)))
        return path_;
    // A link to nothing that can be named (a dangling one, or a descriptor
    // link under /proc) is used as it is.
    const fs::path target = fs::canonical(path_, error);
    return error ? path_ : target.string();
}

LibraryResult VoiceLibrary::acquireLock()
{
    if (lockDepth_ > 0) {
        ++lockDepth_;
        return {};
    }
    const std::string target = targetPath();
    const std::string lockPath = this->lockPath();
    errno = 0;
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    // A lock file this user may not write is still one to lock (a lock
    // needs no writing).
    if (fd < 0)
        fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    // A folder that takes no new file: the library itself carries the lock
    // (no rewrite can happen there anyway, only appends and overwrites).
    if (fd < 0)
        fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = fd < 0 ? lastError() : EINVAL;
        if (fd >= 0)
            ::close(fd);
        return LibraryResult::failure("Cannot lock " + describePath() + " (" + lockPath + "): " + reason(error)
                                      + ". Nothing was changed.");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(lockWaitMs_);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            const int error = errno;
            ::close(fd);
            if (error != EWOULDBLOCK)
                return LibraryResult::failure("Cannot lock " + describePath() + ": " + reason(error)
                                              + ". Nothing was changed.");
            return LibraryResult::failure("The voice library \"" + path_ + "\" is being changed by another program and stayed locked. Nothing was"
                                            " changed; try again in a moment.");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    lockFd_ = fd;
    lockDepth_ = 1;
    removeLeftovers(target);
    return {};
}

void VoiceLibrary::releaseLock()
{
    if (lockDepth_ == 0 || --lockDepth_ > 0)
        return;
    // Closing the descriptor lets go of the lock; the lock file stays, as
    // removing it could let two writers lock two different files.
    ::close(lockFd_);
    lockFd_ = -1;
}

void VoiceLibrary::removeLeftovers(const std::string& target) const
{
    undoJournal(target);
    namespace fs = std::filesystem;
    const fs::path file(target);
    const std::string base = file.filename().string() + ".";
    std::error_code error;
    fs::directory_iterator entries(file.parent_path().empty() ? fs::path(".") : file.parent_path(), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.size() <= base.size() || name.compare(0, base.size(), base) != 0 || !name.ends_with(".part"))
            continue;
        // TARGET.part of earlier versions, or TARGET.<number>.part.
        const std::string_view middle = std::string_view(name).substr(base.size(), name.size() - base.size() - 5);
        if (!std::all_of(middle.begin(), middle.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::error_code ignored;
        if (fs::is_regular_file(fs::symlink_status(entries->path(), ignored)))
            fs::remove(entries->path(), ignored);
    }
}

LibraryResult VoiceLibrary::checkWritable(const std::string& target) const
{
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0)
        return {};
    // The permission bits decide, for the superuser too: a library the user
    // made read-only stays as it is.
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if (S_ISREG(status.st_mode) && (status.st_mode & anyWrite) == 0)
        return LibraryResult::failure("Cannot change " + describePath() + ": it is read-only. The file was left as it is.");
    return {};
}

LibraryResult VoiceLibrary::checkExpected(int n, const LibraryRecord& expected)
{
    LibraryRecord now;
    if (readRecord(n, now) && now == expected)
        return {};
    return LibraryResult::failure(movedText(expected, describePath()) + " Nothing was changed.");
}

VoiceLibrary::VoiceLibrary(std::string path) : path_(std::move(path)) {}

VoiceLibrary::~VoiceLibrary()
{
    closeLibrary();
}

std::string VoiceLibrary::describePath() const
{
    return "the voice library \"" + path_ + "\"";
}

// A folder or a device opens like a file on some systems but has no sensible
// size; only a regular file (or a link to one) can be a library.
LibraryResult VoiceLibrary::checkIsFile() const
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path_, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return LibraryResult::failure("Cannot use " + describePath() + ": it is not a file. It was left as it is.");
    return {};
}

LibraryResult VoiceLibrary::openLibrary()
{
    if (stream_ != nullptr)
        return {};
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    if (LibraryResult writable = checkWritable(targetPath()); !writable)
        return writable;
    errno = 0;
    stream_ = std::fopen(path_.c_str(), "r+b");
    if (stream_ != nullptr)
        return {};
    const int openError = errno;
    // Only a file that is truly absent is created. Anything else (no
    // permission, a directory, a device) must not fall back to a mode that
    // would cut the existing library to nothing.
    if (openError != ENOENT)
        return LibraryResult::failure("Cannot open " + describePath() + " for reading and writing: "
                                      + reason(openError) + ". The file was left as it is.");
    // Exclusive creation: a file that appeared in the meantime is not cut either.
    errno = 0;
    stream_ = std::fopen(path_.c_str(), "w+bx");
    if (stream_ == nullptr)
        return LibraryResult::failure("Cannot create " + describePath() + ": " + reason(lastError()) + ".");
    const int error =
        writeAt(stream_, 0, reinterpret_cast<const std::uint8_t*>(kLibraryMagic.data()), kLibraryMagic.size());
    if (error != 0) {
        closeLibrary();
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        return LibraryResult::failure("Cannot create " + describePath() + ": " + reason(error) + ".");
    }
    return {};
}

void VoiceLibrary::closeLibrary()
{
    if (stream_ != nullptr)
        std::fclose(stream_);
    stream_ = nullptr;
}

LibraryResult VoiceLibrary::seekRecord(int n)
{
    if (stream_ == nullptr)
        return LibraryResult::failure("The file of " + describePath() + " is not open.");
    if (n < 0 || !seekTo(stream_, recordOffset(n)))
        return LibraryResult::failure("Cannot move to voice number " + std::to_string(n) + " of " + describePath()
                                      + ".");
    return {};
}

std::size_t VoiceLibrary::readAt(std::uintmax_t offset, std::uint8_t* buffer, std::size_t size)
{
    FileHandle own;
    std::FILE* file = stream_;
    if (file == nullptr) {
        if (!checkIsFile())
            return 0;
        own.reset(std::fopen(path_.c_str(), "rb"));
        file = own.get();
    }
    if (file == nullptr || !seekTo(file, offset))
        return 0;
    const std::size_t got = std::fread(buffer, 1, size, file);
    std::clearerr(file);   // a read past the end must not spoil later writes on the span
    return got;
}

std::string VoiceLibrary::recordName(int n)
{
    std::uint8_t bytes[kRecordNameLength];
    const std::size_t got = n < 0 ? 0 : readAt(recordOffset(n) + kRecordNameOffset, bytes, sizeof bytes);
    return readName(bytes, got);
}

std::uint32_t VoiceLibrary::recordCategories(int n)
{
    std::uint8_t bytes[kRecordMaskSize] = {};
    if (n >= 0)
        readAt(recordOffset(n), bytes, sizeof bytes);
    return readMask(bytes);
}

LibraryResult VoiceLibrary::writeRecord(std::uint32_t mask, const VoiceData& voiceData)
{
    if (stream_ == nullptr)
        return LibraryResult::failure("The file of " + describePath() + " is not open.");
    Record record;
    if (LibraryResult made = makeRecord(mask, voiceData, record); !made)
        return made;
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    errno = 0;
    const long position = std::ftell(stream_);
    int error = position < 0 ? lastError() : writeAt(stream_, static_cast<std::uintmax_t>(position), record.data(), record.size());
    if (error == 0 && flushEachWrite_)
        error = syncToDisk(stream_);
    if (error != 0)
        return LibraryResult::failure("Cannot write to " + describePath() + ": " + reason(error) + ".");
    return {};
}

int VoiceLibrary::recordCount() const
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    return error ? 0 : recordCountForSize(size);
}

LibraryResult VoiceLibrary::scanRecords(std::vector<RecordSummary>& records) const
{
    records.clear();
    records.reserve(static_cast<std::size_t>(recordCount()));
    return forEachRecord([&records](int, const LibraryRecord& record) {
        records.push_back({readName(record.data() + kRecordNameOffset, kRecordNameLength), readMask(record.data())});
    });
}

LibraryResult VoiceLibrary::forEachRecord(const std::function<void(int n, const LibraryRecord& record)>& visit) const
{
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    errno = 0;
    const FileHandle file(std::fopen(path_.c_str(), "rb"));
    if (!file) {
        if (errno == ENOENT)
            return {};
        return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
    }
    const long size = fileSize(file.get());
    if (size < 0 || !seekTo(file.get(), kLibraryHeaderSize))
        return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");

    const int count = recordCountForSize(static_cast<std::uintmax_t>(size));
    // A small library needs no more than its own size.
    std::vector<std::uint8_t> block(std::min(static_cast<std::size_t>(count), kScanBlockRecords) * kLibraryRecordSize);
    LibraryRecord record;
    std::size_t remaining = static_cast<std::size_t>(count);
    int n = 0;
    while (remaining > 0) {
        const std::size_t want = std::min(remaining, kScanBlockRecords);
        const std::size_t whole = std::fread(block.data(), 1, want * kLibraryRecordSize, file.get()) / kLibraryRecordSize;
        for (std::size_t r = 0; r < whole; ++r) {
            const std::uint8_t* bytes = block.data() + r * kLibraryRecordSize;
            std::copy(bytes, bytes + kLibraryRecordSize, record.begin());
            visit(n++, record);
        }
        if (whole < want) {
            // The file shrank under us: list what was there, unless reading failed.
            if (std::ferror(file.get()))
                return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
            break;
        }
        remaining -= want;
    }
    return {};
}

LibraryResult VoiceLibrary::readRecord(int n, LibraryRecord& record) const
{
    const std::string number = "voice number " + std::to_string(n);
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    errno = 0;
    const FileHandle file(std::fopen(path_.c_str(), "rb"));
    if (!file && errno != ENOENT)
        return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
    const long size = file ? fileSize(file.get()) : 0;
    if (n < 0 || n >= recordCountForSize(size < 0 ? 0 : static_cast<std::uintmax_t>(size)))
        return LibraryResult::failure("There is no " + number + " in " + describePath() + ".");
    if (!seekTo(file.get(), recordOffset(n)) || std::fread(record.data(), 1, record.size(), file.get()) != record.size())
        return LibraryResult::failure("The " + number + " of " + describePath() + " cannot be read whole.");
    return {};
}

LibraryResult VoiceLibrary::loadRecord(int n, VoiceData& voiceData)
{
    closeLibrary();
    const std::string number = "voice number " + std::to_string(n);
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    errno = 0;
    std::array<std::uint8_t, kSyDumpSize> dump;
    std::size_t got = 0;
    int count = 0;
    {
        const FileHandle file(std::fopen(path_.c_str(), "rb"));
        if (!file && errno != ENOENT)
            return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
        if (file) {
            const long size = fileSize(file.get());
            count = size < 0 ? 0 : recordCountForSize(static_cast<std::uintmax_t>(size));
        }
        if (n < 0 || n >= count)
            return LibraryResult::failure("There is no " + number + " in " + describePath() + ".");
        if (seekTo(file.get(), recordOffset(n) + kRecordMaskSize))
            got = std::fread(dump.data(), 1, dump.size(), file.get());
    }
    // A cut-off record would decode partly into the current voice.
    if (got != dump.size())
        return LibraryResult::failure("The " + number + " of " + describePath()
                                      + " cannot be read whole and was not loaded.");
    if (!voiceData.decodeDump(dump.data(), dump.size()))
        return LibraryResult::failure("The " + number + " of " + describePath()
                                      + " is not a voice dump and was not loaded.");
    return {};
}

LibraryResult VoiceLibrary::appendRecord(std::uint32_t mask, const VoiceData& voiceData)
{
    LibraryRecord record;
    if (LibraryResult made = makeRecord(mask, voiceData, record); !made)
        return made;
    return appendRecords({record});
}

LibraryResult VoiceLibrary::appendRecords(const std::vector<LibraryRecord>& records)
{
    closeLibrary();
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    if (LibraryResult opened = openLibrary(); !opened)
        return opened;
    FileHandle file(stream_);
    stream_ = nullptr;

    const long size = fileSize(file.get());
    if (size < 0)
        return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
    const std::uintmax_t oldSize = static_cast<std::uintmax_t>(size);

    // A file shorter than its header gets the rest of the magic first; a
    // cut-off tail is replaced, so that the new record's number is the old count.
    std::vector<std::uint8_t> bytes;
    std::uintmax_t start = oldSize;
    if (oldSize < kLibraryHeaderSize)
        bytes.assign(kLibraryMagic.begin() + static_cast<std::ptrdiff_t>(oldSize), kLibraryMagic.end());
    else
        start = recordOffset(recordCountForSize(oldSize));
    std::vector<std::uint8_t> tail(oldSize - start);
    if (!tail.empty()
        && (!seekTo(file.get(), start) || std::fread(tail.data(), 1, tail.size(), file.get()) != tail.size()))
        return LibraryResult::failure("Cannot read " + describePath() + ": " + reason(lastError()) + ".");
    for (const LibraryRecord& record : records)
        bytes.insert(bytes.end(), record.begin(), record.end());

    int error = writeAt(file.get(), start, bytes.data(), bytes.size());
    if (error == 0 && flushEachWrite_)
        error = syncToDisk(file.get());
    if (error == 0)
        error = closeWritten(file.release());
    if (error == 0)
        return {};

    // Put the file back as it was: first let go of the stream (its buffer may
    // still hold bytes), then cut the length and restore the replaced tail.
    file.reset();
    std::error_code resizeError;
    std::filesystem::resize_file(path_, oldSize, resizeError);
    bool restored = !resizeError;
    if (restored && !tail.empty()) {
        const FileHandle again(std::fopen(path_.c_str(), "r+b"));
        restored = again && writeAt(again.get(), start, tail.data(), tail.size()) == 0;
    }
    std::string text = std::string(records.size() == 1 ? "The voice" : "The voices") + " could not be added to "
                       + describePath() + ": " + reason(error) + ".";
    if (!restored)
        text += " The file may now end in an incomplete voice.";
    return LibraryResult::failure(text);
}

LibraryResult VoiceLibrary::flushToDisk()
{
    closeLibrary();
    errno = 0;
    const FileHandle file(std::fopen(path_.c_str(), "rb"));
    const int error = !file ? lastError() : syncToDisk(file.get());
    if (error != 0)
        return LibraryResult::failure("The changes to " + describePath() + " could not be flushed to the disk: "
                                      + reason(error) + ".");
    return {};
}

LibraryResult VoiceLibrary::overwriteRecord(int n, std::uint32_t mask, const VoiceData& voiceData,
                                            const LibraryRecord* expected)
{
    closeLibrary();
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    if (LibraryResult writable = checkWritable(targetPath()); !writable)
        return writable;
    if (expected != nullptr)
        if (LibraryResult same = checkExpected(n, *expected); !same)
            return same;
    if (n < 0 || n >= recordCount())
        return LibraryResult::failure("There is no voice number " + std::to_string(n) + " in " + describePath() + ".");
    Record record;
    if (LibraryResult made = makeRecord(mask, voiceData, record); !made)
        return made;
    return replaceInPlace(n, record, false, "The voice number " + std::to_string(n) + " of " + describePath()
                                                + " could not be replaced");
}

LibraryResult VoiceLibrary::replaceInPlace(int n, const LibraryRecord& record, bool journalNeeded,
                                           const std::string& what)
{
    const std::string target = targetPath();
    errno = 0;
    FileHandle file(std::fopen(path_.c_str(), "r+b"));
    if (!file)
        return LibraryResult::failure("Cannot open " + describePath() + " for reading and writing: " + reason(lastError())
                                      + ". The file was left as it is.");
    const long size = fileSize(file.get());
    if (n < 0 || n >= recordCountForSize(size < 0 ? 0 : static_cast<std::uintmax_t>(size)))
        return LibraryResult::failure("There is no voice number " + std::to_string(n) + " in " + describePath() + ".");
    const std::uintmax_t offset = recordOffset(n);
    Record before;
    if (!seekTo(file.get(), offset) || std::fread(before.data(), 1, before.size(), file.get()) != before.size())
        return LibraryResult::failure(what + ": " + reason(lastError()) + ". The library was left as it was.");

    // The journal first, whole and on the disk, before the library is touched.
    const std::string journal = journalPath(target);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    errno = 0;
    const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool journaled = fd >= 0;
    if (!journaled) {
        const int error = lastError();
        // A folder that takes no new file: as the instrument's voices were
        // always replaced there, without a journal; anything else is refused.
        if (journalNeeded || (error != EACCES && error != EPERM && error != EROFS))
            return LibraryResult::failure(what + ": cannot create " + journal + ": " + reason(error)
                                          + ". The library was left as it was.");
    } else {
        const std::vector<std::uint8_t> bytes = journalOf(offset, before, record);
        int error = writeWhole(fd, bytes.data(), bytes.size());
        if (error == 0 && ::fsync(fd) != 0)
            error = lastError();
        ::close(fd);
        if (error != 0) {
            ::unlink(journal.c_str());
            return LibraryResult::failure(what + ": cannot write " + journal + ": " + reason(error)
                                          + ". The library was left as it was.");
        }
        syncFolder(folder);
    }
    // The hashes kept for imports are moved aside while the record changes
    // (left as they were, an append after this change would look like the
    // only change) and kept again, with the new voice's, once it is written.
    HashCarry hashes(target);
    hashes.replaced(n, record);
    ::unlink(DuplicateIndex::hashesPath(target).c_str());
    int error = writeAt(file.get(), offset, record.data(), record.size());
    // With a journal the record must be on the disk before the journal goes.
    if (error == 0 && (journaled || flushEachWrite_))
        error = syncToDisk(file.get());
    if (error == 0)
        error = closeWritten(file.release());
    if (error != 0) {
        file.reset();
        const FileHandle again(std::fopen(path_.c_str(), "r+b"));
        const bool restored = again && writeAt(again.get(), offset, before.data(), before.size()) == 0
                              && syncToDisk(again.get()) == 0;
        if (restored && journaled) {
            ::unlink(journal.c_str());
            syncFolder(folder);
        }
        std::string text = what + ": " + reason(error) + ".";
        if (restored)
            text += " The library was left as it was.";
        else if (journaled)
            text += " The voice is put back as it was before the library is next changed.";
        return LibraryResult::failure(text);
    }
    if (journaled) {
        ::unlink(journal.c_str());
        syncFolder(folder);
    }
    hashes.keep();
    if (lockFd_ >= 0)
        ::futimens(lockFd_, nullptr);  // the mark of a change in place (see lockPath)
    return {};
}

LibraryResult VoiceLibrary::rewrite(const std::function<bool(int n, LibraryRecord& record)>& replace,
                                    const std::string& what, ReadProgress* progress)
{
    closeLibrary();
    const std::string failed = what + " " + describePath() + ": ";
    const std::string unchanged = " The library was left as it was.";
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    // A link stays a link: the file it names is the one replaced.
    const std::string target = targetPath();
    if (LibraryResult writable = checkWritable(target); !writable)
        return writable;
    errno = 0;
    const FileHandle in(std::fopen(target.c_str(), "rb"));
    if (!in)
        return LibraryResult::failure(failed + reason(lastError()) + "." + unchanged);
    struct stat status {};
    if (::fstat(::fileno(in.get()), &status) != 0)
        return LibraryResult::failure(failed + reason(lastError()) + "." + unchanged);
    const long size = fileSize(in.get());
    if (size < 0 || !seekTo(in.get(), 0))
        return LibraryResult::failure(failed + reason(lastError()) + "." + unchanged);
    const int count = recordCountForSize(static_cast<std::uintmax_t>(size));

    // A file of its own, never one that exists (or a link planted under its name).
    std::string temp;
    const int fd = createFileBeside(target, temp);
    if (fd < 0)
        return LibraryResult::failure(failed + "cannot create a new file beside it: " + reason(lastError()) + "."
                                      + unchanged);
    FileHandle out(::fdopen(fd, "wb"));
    if (!out) {
        const int error = lastError();
        ::close(fd);
        ::unlink(temp.c_str());
        return LibraryResult::failure(failed + reason(error) + "." + unchanged);
    }
    const auto give_up = [&](int error) {
        out.reset();
        ::unlink(temp.c_str());
        return LibraryResult::failure(failed + reason(error) + "." + unchanged);
    };
    // The owner where allowed, the permissions always.
    [[maybe_unused]] const int owned = ::fchown(fd, status.st_uid, status.st_gid);
    if (::fchmod(fd, status.st_mode & 07777) != 0)
        return give_up(lastError());
    const auto copy = [&](std::uint8_t* bytes, std::size_t length) {
        return std::fread(bytes, 1, length, in.get()) == length && std::fwrite(bytes, 1, length, out.get()) == length;
    };
    // The header as it is (a foreign header stays), the records, then a
    // cut-off tail as it is.
    std::uint8_t header[kLibraryHeaderSize];
    errno = 0;
    if (!copy(header, std::min<std::size_t>(kLibraryHeaderSize, static_cast<std::size_t>(size))))
        return give_up(lastError());
    // The hashes kept for imports follow their records into the new file.
    HashCarry hashes(target);
    LibraryRecord record, before;
    const auto cancelled = [&] { return progress != nullptr && progress->cancel.load(std::memory_order_relaxed); };
    const auto cancel = [&] {
        out.reset();
        ::unlink(temp.c_str());
        return LibraryResult::failure(what + " " + describePath() + ": cancelled." + unchanged);
    };
    if (progress != nullptr) {
        progress->total = count;
        progress->done = 0;
    }
    for (int n = 0; n < count; ++n) {
        if (progress != nullptr && n % 1024 == 0) {
            if (cancelled())
                return cancel();
            progress->done.store(n, std::memory_order_relaxed);
        }
        if (std::fread(record.data(), 1, record.size(), in.get()) != record.size())
            return give_up(lastError());
        if (hashes.active())
            before = record;
        const bool kept = replace(n, record);
        if (kept && std::fwrite(record.data(), 1, record.size(), out.get()) != record.size())
            return give_up(lastError());
        hashes.follow(n, before, kept ? &record : nullptr);
    }
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(size) - std::min<std::size_t>(static_cast<std::size_t>(size), recordOffset(count)));
    if (!tail.empty() && !copy(tail.data(), tail.size()))
        return give_up(lastError());
    if (std::fflush(out.get()) != 0 || ::fsync(::fileno(out.get())) != 0)
        return give_up(lastError());
    if (const int error = closeWritten(out.release()); error != 0)
        return give_up(error);
    if (cancelled())  // the last moment: after this the library is the new file
        return cancel();
    ::unlink(DuplicateIndex::hashesPath(target).c_str());  // they describe the old file
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = lastError();
        ::unlink(temp.c_str());
        return LibraryResult::failure(failed + "cannot move the new file into place: " + reason(error) + "."
                                      + unchanged);
    }
    syncFolder(std::filesystem::path(target).parent_path());
    hashes.keep();
    return {};
}

LibraryResult VoiceLibrary::removeRecords(const std::vector<int>& numbers, const std::vector<LibraryRecord>& expected,
                                          ReadProgress* progress)
{
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    const int count = recordCount();
    std::vector<bool> removed(static_cast<std::size_t>(count), false);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int n = numbers[i];
        if (i < expected.size())
            if (LibraryResult same = checkExpected(n, expected[i]); !same)
                return same;
        if (n < 0 || n >= count)
            return LibraryResult::failure("There is no voice number " + std::to_string(n) + " in " + describePath()
                                          + ". Nothing was removed.");
        removed[static_cast<std::size_t>(n)] = true;
    }
    return rewrite([&](int n, LibraryRecord&) { return n >= count || !removed[static_cast<std::size_t>(n)]; },
                   "The voices could not be removed from", progress);
}

LibraryResult VoiceLibrary::changeInPlace(int n, const LibraryRecord* expected,
                                          const std::function<LibraryResult(LibraryRecord& record)>& change,
                                          const std::string& what)
{
    closeLibrary();
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    const LibraryLock lock(*this);
    if (!lock)
        return lock.result();
    if (LibraryResult writable = checkWritable(targetPath()); !writable)
        return writable;
    if (expected != nullptr)
        if (LibraryResult same = checkExpected(n, *expected); !same)
            return same;
    LibraryRecord record;
    if (LibraryResult read = readRecord(n, record); !read)
        return read;
    if (LibraryResult changed = change(record); !changed)
        return changed;
    return replaceInPlace(n, record, true, what);
}

LibraryResult VoiceLibrary::renameRecord(int n, std::string_view name, const LibraryRecord* expected)
{
    if (const std::string problem = voiceNameProblem(name); !problem.empty())
        return LibraryResult::failure("\"" + std::string(name) + "\" cannot be used: " + problem + ".");
    return changeInPlace(
        n, expected,
        [&](LibraryRecord& record) {
            // The name is inside the checksum, so the voice is encoded anew.
            VoiceParameters voice;
            VoiceData data(voice);
            if (!data.decodeDump(record.data() + kRecordMaskSize, kSyDumpSize))
                return LibraryResult::failure("The voice number " + std::to_string(n) + " of " + describePath()
                                              + " is not a voice dump and was not renamed.");
            setVoiceName(voice.common, name);
            return makeRecord(readMask(record.data()), data, record);
        },
        "The voice could not be renamed in " + describePath());
}

LibraryResult VoiceLibrary::setRecordCategories(int n, std::uint32_t mask, const LibraryRecord* expected)
{
    return changeInPlace(
        n, expected,
        [&](LibraryRecord& record) {
            writeMask(mask, record.data());
            return LibraryResult();
        },
        "The categories could not be changed in " + describePath());
}

LibraryResult VoiceLibrary::exportRecords(const std::vector<int>& numbers, const std::string& folder,
                                          std::vector<std::string>& written, const std::vector<LibraryRecord>& expected,
                                          ReadProgress* progress)
{
    namespace fs = std::filesystem;
    closeLibrary();
    written.clear();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return LibraryResult::failure("\"" + folder + "\" is not a folder; no voice was exported.");
    // Every file written so far is whole and stays: the user is told how many.
    const auto stopped = [&](const std::string& text) {
        return LibraryResult::failure(text + " " + std::to_string(written.size()) + " of "
                                      + std::to_string(numbers.size()) + " voices were exported.");
    };
    if (progress != nullptr) {
        progress->total = static_cast<int>(numbers.size());
        progress->done = 0;
    }
    std::unordered_map<std::string, int> numbered;  // a name's last number taken
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (progress != nullptr) {
            if (progress->cancel.load(std::memory_order_relaxed))
                return stopped("The export into \"" + folder + "\" was cancelled.");
            progress->done.store(static_cast<int>(i), std::memory_order_relaxed);
        }
        const int n = numbers[i];
        LibraryRecord record;
        if (LibraryResult read = readRecord(n, record); !read)
            return stopped(read.error());
        if (i < expected.size() && record != expected[i])
            return stopped(movedText(expected[i], describePath()));
        VoiceParameters voice;
        VoiceData data(voice);
        if (!data.decodeDump(record.data() + kRecordMaskSize, kSyDumpSize))
            return stopped("The voice number " + std::to_string(n) + " of " + describePath()
                           + " is not a voice dump and was not exported.");
        // The name as a file name: characters a file system may refuse become "_".
        std::string base = readName(reinterpret_cast<const std::uint8_t*>(voice.common.name), kRecordNameLength);
        while (!base.empty() && base.back() == ' ')
            base.pop_back();
        for (char& ch : base)
            if (!std::isalnum(static_cast<unsigned char>(ch)) && std::string_view(" -_+.,()#&").find(ch) == std::string_view::npos)
                ch = '_';
        if (base.empty() || base.front() == '.')
            base.insert(0, "voice");
        // A name is taken by anything there, a link that leads nowhere too
        // (it would be written through).
        // A name met before goes on from the number it got, so that a
        // thousand voices of one name do not look at every earlier file.
        const auto taken = [&](const fs::path& name) { return fs::exists(fs::symlink_status(name, error)); };
        int& k = numbered[base];
        const auto named = [&] { return fs::path(folder) / (k < 2 ? base + ".SYX" : base + " (" + std::to_string(k) + ").SYX"); };
        fs::path target = named();
        while (taken(target) || taken(fs::path(target) += ".part")) {
            k = std::max(k, 1) + 1;
            target = named();
        }
        if (std::string why; !writeVoiceFile(target.string(), data, &why))
            return stopped("Cannot write \"" + target.string() + "\" (" + why + ");");
        written.push_back(target.string());
    }
    if (progress != nullptr)
        progress->done = static_cast<int>(numbers.size());
    return {};
}

} // namespace morvane
