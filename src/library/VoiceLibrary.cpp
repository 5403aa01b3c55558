#include "VoiceLibrary.h"

#include "VoiceData.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <unistd.h>

namespace morvane {

namespace {

// Records read per block by scanRecords: about 600 KB, whole records only.
constexpr std::size_t kScanBlockRecords = 1024;

using Record = std::array<std::uint8_t, kLibraryRecordSize>;

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

Record buildRecord(std::uint32_t mask, VoiceData& voiceData)
{
    Record record;
    for (std::size_t i = 0; i < kRecordMaskSize; ++i)
        record[i] = static_cast<std::uint8_t>(mask >> (8 * i));
    const std::uint8_t* dump = voiceData.encodeDump();
    std::copy(dump, dump + kSyDumpSize, record.begin() + kRecordMaskSize);
    return record;
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

} // namespace

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

LibraryResult VoiceLibrary::writeRecord(std::uint32_t mask, VoiceData& voiceData)
{
    if (stream_ == nullptr)
        return LibraryResult::failure("The file of " + describePath() + " is not open.");
    const Record record = buildRecord(mask, voiceData);
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
    records.reserve(static_cast<std::size_t>(count));
    // A small library needs no more than its own size.
    std::vector<std::uint8_t> block(std::min(static_cast<std::size_t>(count), kScanBlockRecords) * kLibraryRecordSize);
    std::size_t remaining = static_cast<std::size_t>(count);
    while (remaining > 0) {
        const std::size_t want = std::min(remaining, kScanBlockRecords);
        const std::size_t whole = std::fread(block.data(), 1, want * kLibraryRecordSize, file.get()) / kLibraryRecordSize;
        for (std::size_t r = 0; r < whole; ++r) {
            const std::uint8_t* record = block.data() + r * kLibraryRecordSize;
            records.push_back({readName(record + kRecordNameOffset, kRecordNameLength), readMask(record)});
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

LibraryResult VoiceLibrary::appendRecord(std::uint32_t mask, VoiceData& voiceData)
{
    closeLibrary();
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
    const Record record = buildRecord(mask, voiceData);
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
    std::string text = "The voice could not be added to " + describePath() + ": " + reason(error) + ".";
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

LibraryResult VoiceLibrary::overwriteRecord(int n, std::uint32_t mask, VoiceData& voiceData)
{
    closeLibrary();
    const std::string number = "voice number " + std::to_string(n);
    if (LibraryResult isFile = checkIsFile(); !isFile)
        return isFile;
    errno = 0;
    FileHandle file(std::fopen(path_.c_str(), "r+b"));
    if (!file && errno != ENOENT)
        return LibraryResult::failure("Cannot open " + describePath() + " for reading and writing: " + reason(lastError())
                                      + ". The file was left as it is.");
    const long size = file ? fileSize(file.get()) : 0;
    if (n < 0 || n >= recordCountForSize(size < 0 ? 0 : static_cast<std::uintmax_t>(size)))
        return LibraryResult::failure("There is no " + number + " in " + describePath() + ".");

    const Record record = buildRecord(mask, voiceData);
    int error = writeAt(file.get(), recordOffset(n), record.data(), record.size());
    if (error == 0 && flushEachWrite_)
        error = syncToDisk(file.get());
    if (error == 0)
        error = closeWritten(file.release());
    if (error != 0)
        return LibraryResult::failure("The " + number + " of " + describePath()
                                      + " could not be replaced: " + reason(error) + ".");
    return {};
}

} // namespace morvane
