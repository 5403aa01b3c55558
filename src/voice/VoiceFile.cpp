#include "VoiceFile.h"

#include "DumpCheck.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; false when closing reports an error (data may be lost).
    bool reset()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// A file opened for reading, or why it was not.
struct OpenedFile {
    int fd = -1;                 // the caller's to close when `result` is Loaded
    VoiceFileResult result = VoiceFileResult::CannotOpen;
    std::uintmax_t size = 0;
};

// Opens `path` for reading only when it is a regular file: a device or a
// pipe can deliver bytes for ever, and only a regular file ends. It does not
// block: opening a pipe for reading would wait for a writer.
OpenedFile openRegularFile(const std::string& path)
{
    OpenedFile opened;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return opened;
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        opened.result = VoiceFileResult::ReadError;
    else if (!S_ISREG(status.st_mode))
        opened.result = VoiceFileResult::NotAFile;
    else
        return {fd, VoiceFileResult::Loaded, static_cast<std::uintmax_t>(status.st_size)};
    ::close(fd);
    return opened;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

int createTemporary(const std::filesystem::path& target, std::filesystem::path& name)
{
    std::string made;
    const int fd = createFileBeside(target.string(), made);
    name = made;
    return fd;
}

// Flushes a folder, so that a rename inside it survives a power cut.
void syncFolder(const std::filesystem::path& folder)
{
    const Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}

} // namespace

int createFileBeside(const std::string& target, std::string& name)
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + "." + std::to_string(random()) + ".part";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

VoiceFileResult readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t maxSize)
{
    bytes.clear();
    const OpenedFile opened = openRegularFile(path);
    if (opened.result != VoiceFileResult::Loaded)
        return opened.result;
    const Descriptor fd(opened.fd);
    if (opened.size > maxSize)
        return VoiceFileResult::TooLarge;
    bytes.reserve(static_cast<std::size_t>(opened.size));
    std::uint8_t buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return bytes.clear(), VoiceFileResult::ReadError;
        if (got == 0)
            return VoiceFileResult::Loaded;
        // The file may have grown since it was measured.
        if (bytes.size() + static_cast<std::size_t>(got) > maxSize)
            return bytes.clear(), VoiceFileResult::TooLarge;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}

namespace {

// The collected bytes as a message: Loaded when they end in F7 and are long
// enough for their layout.
VoiceFileResult checkCollected(std::vector<std::uint8_t>& message)
{
    if (message.empty() || message.back() != kSysExEnd)
        return VoiceFileResult::NoMessage;
    if (message.size() < dumpSize(dumpLayout(message.data(), message.size())))
        return VoiceFileResult::TooShort;
    return VoiceFileResult::Loaded;
}

} // namespace

VoiceFileResult voiceMessageOf(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& message)
{
    message.clear();
    const std::uint8_t* start = std::find(bytes, bytes + size, kSysExStart);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(bytes + size - start), kMaxCollectedBytes);
    message.assign(start, start + take);
    return checkCollected(message);
}

VoiceFileResult readVoiceMessage(const std::string& path, std::vector<std::uint8_t>& message)
{
    message.clear();
    const OpenedFile opened = openRegularFile(path);
    if (opened.result != VoiceFileResult::Loaded)
        return opened.result;
    const Descriptor fd(opened.fd);

    std::uint8_t buffer[4096];
    bool started = false;
    while (message.size() < kMaxCollectedBytes) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return message.clear(), VoiceFileResult::ReadError;
        if (got == 0)
            break;
        for (ssize_t i = 0; i < got && message.size() < kMaxCollectedBytes; ++i) {
            started = started || buffer[i] == kSysExStart;
            if (started)
                message.push_back(buffer[i]);
        }
    }
    return checkCollected(message);
}

VoiceFileResult readVoiceFile(const std::string& path, VoiceData& voiceData)
{
    std::vector<std::uint8_t> message;
    const VoiceFileResult result = readVoiceMessage(path, message);
    if (result != VoiceFileResult::Loaded)
        return result;
    if (!voiceData.decodeDump(message.data(), message.size()))
        return VoiceFileResult::NotAVoice;
    return VoiceFileResult::Loaded;
}

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target(path);
    // A link is written through: the file it names is the one replaced.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::weakly_canonical(target, error);
        if (error)
            return false;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists) {
        // The permission bits decide, for the superuser too: a file the user
        // made read-only stays as it is.
        constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
        if (!S_ISREG(existing.st_mode) || (existing.st_mode & anyWrite) == 0
            || ::access(target.c_str(), W_OK) != 0)
            return false;
    }

    fs::path temp;
    Descriptor fd(createTemporary(target, temp));
    if (!fd)
        return false;
    bool ok = true;
    if (exists) {
        // Keep the owner where allowed; the permissions always.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
        ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd.get(), data, size) && ::fsync(fd.get()) == 0;
    ok = fd.reset() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Some file systems cannot flush a folder; the new content is in place
    // whatever this gives.
    syncFolder(target.parent_path());
    return true;
}

bool writeVoiceFile(const std::string& path, const VoiceData& voiceData, std::string* error)
{
    const CheckedDump checked = encodeCheckedDump(voiceData.parameters());
    std::string why = checked.fault;
    if (checked.sound() && !writeFileAtomically(path, checked.dump.data(), checked.dump.size()))
        why = "cannot write the file";
    if (error != nullptr)
        *error = why;
    return why.empty();
}

const char* describe(VoiceFileResult result)
{
    switch (result) {
    case VoiceFileResult::Loaded: return "voice loaded";
    case VoiceFileResult::CannotOpen: return "cannot open the file";
    case VoiceFileResult::NotAFile: return "not a regular file (folders, devices and pipes are not read)";
    case VoiceFileResult::ReadError: return "the file could not be read";
    case VoiceFileResult::NoMessage: return "no System Exclusive voice dump in the file";
    case VoiceFileResult::TooShort: return "the voice dump in the file is too short for its layout";
    case VoiceFileResult::TooLarge: return "the file is far too large to be a voice file or a bank";
    case VoiceFileResult::NotAVoice: return "the System Exclusive message in the file is not a voice dump of an SY-22, SY-35 or TG-33";
    }
    return "unknown result";
}

} // namespace morvane
