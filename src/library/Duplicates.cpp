#include "Duplicates.h"

#include "VoiceData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

// The voice inside a dump: the effect byte up to the last vector step.
constexpr std::size_t kVoiceFirst = kSyEffect;
constexpr std::size_t kVoiceEnd = kSyMap.vectors + kVectorsSize;
constexpr std::size_t kNameFirst = kSyNameAt;
constexpr std::size_t kNameEnd = kSyNameAt + kNameSize;
static_assert(kVoiceFirst < kNameFirst && kNameEnd <= kVoiceEnd && kVoiceEnd <= kSyDumpSize - 3);

// FNV-1a over the voice, with or without its name.
std::uint64_t hashOf(const VoiceDump& dump, bool withName)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = kVoiceFirst; i < kVoiceEnd; ++i) {
        if (!withName && i >= kNameFirst && i < kNameEnd)
            continue;
        hash = (hash ^ dump[i]) * 0x100000001b3ull;
    }
    return hash;
}

// The kept hashes: this header, then two hashes per record in file order.
// The library's device, inode, size and time of change say which state of
// the library they are of; byte order and sizes are those of this machine
// (the byte-order mark tells a foreign file, which is then made anew).
constexpr char kHashesMagic[8] = {'M', 'V', 'H', 'A', 'S', 'H', '1', '\0'};
struct HashesHeader {
    char magic[8];
    std::uint32_t byteOrder;   // 0x01020304
    std::uint32_t count;       // records hashed
    std::uint64_t device;
    std::uint64_t inode;
    std::uint64_t size;
    std::int64_t seconds;
    std::int64_t nanoseconds;
    std::uint64_t check;       // the hashes mixed in order: a damaged file is not used
};
static_assert(sizeof(HashesHeader) == 64);

constexpr std::uint64_t kSumStart = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t mixed(std::uint64_t sum, std::uint64_t word)
{
    return (sum ^ word) * 0x100000001b3ull;
}

struct LibraryState {
    bool known = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t seconds = 0, nanoseconds = 0;
    bool writable = false;     // the permission bits allow writing
};

LibraryState stateOf(const std::string& target)
{
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0)
        return {};
    return {true,
            static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec),
            static_cast<std::int64_t>(status.st_mtim.tv_nsec),
            (status.st_mode & 0222) != 0};
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The kept hashes and the header they were kept under; false when there
// are none or they cannot be used.
bool readKept(const std::string& path, HashesHeader& header, std::vector<std::uint64_t>& words)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const FileHandle file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return false;
    }
    if (std::fread(&header, sizeof header, 1, file.get()) != 1 || std::memcmp(header.magic, kHashesMagic, 8) != 0
        || header.byteOrder != 0x01020304)
        return false;
    words.resize(std::size_t{header.count} * 2);
    if (!words.empty() && std::fread(words.data(), sizeof(std::uint64_t), words.size(), file.get()) != words.size())
        return false;
    return std::fgetc(file.get()) == EOF  // nothing after the last record's
           && std::accumulate(words.begin(), words.end(), kSumStart, mixed) == header.check;
}

// Writes the hashes beside the library at `target`, stamped with the
// library as it is now.
void writeKept(const std::string& target, const std::vector<KeptHashes>& kept)
{
    const LibraryState state = stateOf(target);
    // A library that may not be written is not written beside either, and a
    // library that no longer holds what was hashed is not described by it.
    if (!state.known || !state.writable || recordCountForSize(state.size) != static_cast<int>(kept.size()))
        return;
    HashesHeader header{};
    std::memcpy(header.magic, kHashesMagic, 8);
    header.byteOrder = 0x01020304;
    header.count = static_cast<std::uint32_t>(kept.size());
    header.device = state.device;
    header.inode = state.inode;
    header.size = state.size;
    header.seconds = state.seconds;
    header.nanoseconds = state.nanoseconds;
    header.check = kSumStart;
    for (const KeptHashes& hashes : kept)
        header.check = mixed(mixed(header.check, hashes.exact), hashes.nameless);
    // Written whole beside it and moved into place: a reader sees the old
    // file or the new one.
    const std::string path = DuplicateIndex::hashesPath(target);
    const std::string fresh = path + ".new";
    ::unlink(fresh.c_str());
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    FileHandle file(::fdopen(fd, "wb"));
    if (!file) {
        ::close(fd);
        ::unlink(fresh.c_str());
        return;
    }
    bool written = std::fwrite(&header, sizeof header, 1, file.get()) == 1;
    static_assert(sizeof(KeptHashes) == 2 * sizeof(std::uint64_t));
    if (written && !kept.empty())
        written = std::fwrite(kept.data(), sizeof(KeptHashes), kept.size(), file.get()) == kept.size();
    written = std::fclose(file.release()) == 0 && written;
    if (!written || std::rename(fresh.c_str(), path.c_str()) != 0)
        ::unlink(fresh.c_str());
}

// The kept hashes when they describe the library at `target` as it is now.
bool readCurrent(const std::string& target, std::vector<KeptHashes>& kept)
{
    const LibraryState state = stateOf(target);
    HashesHeader header{};
    std::vector<std::uint64_t> words;
    if (!state.known || !readKept(DuplicateIndex::hashesPath(target), header, words) || header.device != state.device
        || header.inode != state.inode || header.size != state.size || header.seconds != state.seconds
        || header.nanoseconds != state.nanoseconds || static_cast<int>(header.count) != recordCountForSize(state.size))
        return false;
    kept.resize(header.count);
    for (std::size_t n = 0; n < kept.size(); ++n)
        kept[n] = {words[2 * n], words[2 * n + 1]};
    return true;
}

} // namespace

VoiceDump canonicalDump(const LibraryRecord& record)
{
    VoiceDump stored;
    std::copy_n(record.data() + kRecordMaskSize, stored.size(), stored.begin());  // a record always holds 592 bytes
    return canonicalDump(stored);
}

VoiceDump canonicalDump(const VoiceDump& stored)
{
    VoiceParameters voice;
    VoiceData data(voice);
    data.decodeDump(stored.data(), stored.size());
    return data.encodeDump();
}

bool sameVoice(const VoiceDump& a, const VoiceDump& b)
{
    return std::equal(a.begin() + kVoiceFirst, a.begin() + kVoiceEnd, b.begin() + kVoiceFirst);
}

bool sameButName(const VoiceDump& a, const VoiceDump& b)
{
    return std::equal(a.begin() + kVoiceFirst, a.begin() + kNameFirst, b.begin() + kVoiceFirst)
           && std::equal(a.begin() + kNameEnd, a.begin() + kVoiceEnd, b.begin() + kNameEnd);
}

LibraryResult DuplicateIndex::build()
{
    exact_.clear();
    nameless_.clear();
    pending_.clear();
    stored_ = 0;
    return library_.forEachRecord([this](int n, const LibraryRecord& record) {
        insert(canonicalDump(record), n);
        stored_ = n + 1;
    });
}

HashCarry::HashCarry(const std::string& target) : target_(target)
{
    active_ = readCurrent(target, old_);
    if (active_)
        new_.reserve(old_.size());
}

void HashCarry::follow(int n, const LibraryRecord& before, const LibraryRecord* after)
{
    if (!active_ || after == nullptr)
        return;
    if (n >= 0 && static_cast<std::size_t>(n) < old_.size()
        && std::equal(before.begin() + kRecordMaskSize, before.end(), after->begin() + kRecordMaskSize)) {
        new_.push_back(old_[static_cast<std::size_t>(n)]);  // the same voice; only its categories may differ
        return;
    }
    const VoiceDump dump = canonicalDump(*after);
    new_.push_back({hashOf(dump, true), hashOf(dump, false)});
}

void HashCarry::replaced(int n, const LibraryRecord& record)
{
    if (!active_ || n < 0 || static_cast<std::size_t>(n) >= old_.size()) {
        active_ = false;
        return;
    }
    new_ = old_;
    const VoiceDump dump = canonicalDump(record);
    new_[static_cast<std::size_t>(n)] = {hashOf(dump, true), hashOf(dump, false)};
}

void HashCarry::keep() const
{
    if (active_)
        writeKept(target_, new_);
}

LibraryResult DuplicateIndex::prepare(const std::vector<VoiceDump>& wanted, ReadProgress* progress)
{
    exact_.clear();
    nameless_.clear();
    pending_.clear();
    kept_.clear();
    const std::string target = library_.targetPath();
    const LibraryState state = stateOf(target);
    const int count = library_.recordCount();
    HashesHeader header{};
    std::vector<std::uint64_t> words;
    bool current = false;
    if (state.known && readKept(hashesPath(target), header, words) && header.device == state.device
        && header.inode == state.inode && header.count <= static_cast<std::uint32_t>(count)) {
        const bool unchanged = header.size == state.size && header.seconds == state.seconds
                               && header.nanoseconds == state.nanoseconds;
        // Only grown: records were appended after the last one hashed.
        const bool grown = header.size < state.size && static_cast<int>(header.count) == recordCountForSize(header.size);
        if ((unchanged && static_cast<int>(header.count) == count) || grown) {
            current = unchanged;
            kept_.resize(header.count);
            for (std::size_t n = 0; n < kept_.size(); ++n)
                kept_[n] = {words[2 * n], words[2 * n + 1]};
        }
    }
    words = {};
    cancelled_ = false;
    if (progress != nullptr) {
        progress->total = count - static_cast<int>(kept_.size());
        progress->done = 0;
    }
    // False once the caller asked to stop; counts the records hashed.
    const auto going = [&] {
        if (progress == nullptr)
            return true;
        if (progress->cancel.load(std::memory_order_relaxed)) {
            cancelled_ = true;
            return false;
        }
        progress->done.fetch_add(1, std::memory_order_relaxed);
        return true;
    };
    if (kept_.empty() && count > 0) {
        if (LibraryResult read = library_.forEachRecord([&](int, const LibraryRecord& record) {
                if (cancelled_ || !going())
                    return;  // the rest of the file is only read through
                const VoiceDump dump = canonicalDump(record);
                kept_.push_back({hashOf(dump, true), hashOf(dump, false)});
            });
            !read)
            return read;
    } else {
        for (int n = static_cast<int>(kept_.size()); n < count && going(); ++n) {
            LibraryRecord record;
            if (LibraryResult read = library_.readRecord(n, record); !read)
                return read;
            const VoiceDump dump = canonicalDump(record);
            kept_.push_back({hashOf(dump, true), hashOf(dump, false)});
        }
    }
    if (cancelled_) {
        kept_.clear();
        return {};
    }
    stored_ = static_cast<int>(kept_.size());

    // Only records that may match one of the wanted voices go into the look-up.
    std::vector<std::uint64_t> wantedExact, wantedNameless;
    for (const VoiceDump& dump : wanted) {
        wantedExact.push_back(hashOf(dump, true));
        wantedNameless.push_back(hashOf(dump, false));
    }
    std::sort(wantedExact.begin(), wantedExact.end());
    std::sort(wantedNameless.begin(), wantedNameless.end());
    for (std::size_t n = 0; n < kept_.size(); ++n) {
        if (std::binary_search(wantedExact.begin(), wantedExact.end(), kept_[n].exact))
            exact_.emplace(kept_[n].exact, static_cast<int>(n));
        if (std::binary_search(wantedNameless.begin(), wantedNameless.end(), kept_[n].nameless))
            nameless_.emplace(kept_[n].nameless, static_cast<int>(n));
    }
    if (!current)
        keep();
    return {};
}

void DuplicateIndex::appended(int first, const std::vector<VoiceDump>& dumps)
{
    if (first != static_cast<int>(kept_.size()))
        return;  // not prepared for this library as it was: the next import reads what it must
    for (const VoiceDump& dump : dumps)
        kept_.push_back({hashOf(dump, true), hashOf(dump, false)});
    stored_ = static_cast<int>(kept_.size());
    keep();
}

void DuplicateIndex::keep()
{
    writeKept(library_.targetPath(), kept_);
}

void DuplicateIndex::insert(const VoiceDump& dump, int number)
{
    exact_.emplace(hashOf(dump, true), number);
    nameless_.emplace(hashOf(dump, false), number);
}

void DuplicateIndex::addPending(const VoiceDump& dump, int number)
{
    insert(dump, number);
    pending_[number] = dump;
}

bool DuplicateIndex::dumpOf(int number, VoiceDump& dump)
{
    if (const auto it = pending_.find(number); it != pending_.end()) {
        dump = it->second;
        return true;
    }
    LibraryRecord record;
    if (number >= stored_ || !library_.readRecord(number, record))
        return false;
    dump = canonicalDump(record);
    return true;
}

DuplicateIndex::Match DuplicateIndex::find(const VoiceDump& dump)
{
    Match match;
    VoiceDump other;
    const auto [first, last] = exact_.equal_range(hashOf(dump, true));
    for (auto it = first; it != last && match.exact < 0; ++it)
        if (dumpOf(it->second, other) && sameVoice(dump, other))
            match.exact = it->second;
    if (match.exact >= 0)
        return match;
    const auto [from, to] = nameless_.equal_range(hashOf(dump, false));
    for (auto it = from; it != to && match.nameOnly < 0; ++it)
        if (dumpOf(it->second, other) && sameButName(dump, other))
            match.nameOnly = it->second;
    return match;
}

// The two hashes of every record come from those kept beside the library
// (prepare); records whose hash is shared by no other are done with. The
// records that share one are read again and split into classes by the bytes
// themselves, holding one dump per class, not one per record, so memory is
// linear in the records and small beside the file.
LibraryResult DuplicateIndex::groups(Groups& groups)
{
    groups = {};
    // The two hashes of every record: those kept beside the library, brought
    // up to date (the first search of a library works them all out).
    if (LibraryResult ready = prepare({}); !ready)
        return ready;
    const std::size_t count = kept_.size();
    // One order serves both kinds: the same voice is the same but for the
    // name too, so records that share the first hash lie inside a run of
    // records that share the second.
    struct Keyed {
        KeptHashes hashes;
        int number;
        bool operator<(const Keyed& other) const
        {
            if (hashes.nameless != other.hashes.nameless)
                return hashes.nameless < other.hashes.nameless;
            return hashes.exact != other.hashes.exact ? hashes.exact < other.hashes.exact : number < other.number;
        }
    };
    std::vector<Keyed> keyed(count);
    for (std::size_t n = 0; n < count; ++n)
        keyed[n] = {kept_[n], static_cast<int>(n)};
    kept_ = {};
    std::sort(keyed.begin(), keyed.end());

    // For each record, the run of records sharing its hash of each kind (-1
    // when it shares it with none).
    std::vector<int> voiceRun(count, -1), namelessRun(count, -1);
    int voiceRuns = 0, namelessRuns = 0;
    const auto runEnd = [&](std::size_t i, std::size_t end, auto hashOfKind) {
        std::size_t j = i + 1;
        while (j < end && hashOfKind(keyed[j]) == hashOfKind(keyed[i]))
            ++j;
        return j;
    };
    for (std::size_t i = 0; i < count;) {
        const std::size_t end = runEnd(i, count, [](const Keyed& k) { return k.hashes.nameless; });
        if (end - i > 1) {
            for (std::size_t k = i; k < end; ++k)
                namelessRun[static_cast<std::size_t>(keyed[k].number)] = namelessRuns;
            ++namelessRuns;
            for (std::size_t v = i; v < end;) {
                const std::size_t voiceEnd = runEnd(v, end, [](const Keyed& k) { return k.hashes.exact; });
                if (voiceEnd - v > 1) {
                    for (std::size_t k = v; k < voiceEnd; ++k)
                        voiceRun[static_cast<std::size_t>(keyed[k].number)] = voiceRuns;
                    ++voiceRuns;
                }
                v = voiceEnd;
            }
        }
        i = end;
    }
    keyed = {};
    if (voiceRuns == 0 && namelessRuns == 0)
        return {};

    // A class: the dump that stands for it, the stored bytes of its first
    // record, and its records in file order. A record whose stored bytes are
    // the same as a class's first, by the class's kind, is in that class
    // without being decoded: every field is read from its own bytes inside
    // the voice, so equal bytes there decode and encode to equal bytes.
    struct Class {
        std::optional<VoiceDump> dump;   // worked out from `stored` when first needed
        VoiceDump stored;
        std::vector<int> numbers;
    };
    std::vector<std::vector<Class>> voiceClasses(static_cast<std::size_t>(voiceRuns));
    std::vector<std::vector<Class>> namelessClasses(static_cast<std::size_t>(namelessRuns));
    const auto place = [](std::vector<Class>& classes, const VoiceDump& stored, const auto& dump, int n,
                          bool (*same)(const VoiceDump&, const VoiceDump&)) {
        for (Class& c : classes)
            if (same(c.stored, stored)) {
                c.numbers.push_back(n);
                return;
            }
        for (Class& c : classes) {
            if (!c.dump)
                c.dump = canonicalDump(c.stored);
            if (same(*c.dump, dump())) {
                c.numbers.push_back(n);
                return;
            }
        }
        classes.push_back({std::nullopt, stored, {n}});
    };
    // Every hash that is shared is confirmed against the records themselves.
    const auto confirm = [&](int n, const LibraryRecord& record) {
        const auto at = static_cast<std::size_t>(n);
        // A record appended since the hashes were read has no place in them.
        if (at >= count || (voiceRun[at] < 0 && namelessRun[at] < 0))
            return;
        VoiceDump stored;
        std::copy_n(record.data() + kRecordMaskSize, stored.size(), stored.begin());
        std::optional<VoiceDump> canonical;
        const auto dump = [&]() -> const VoiceDump& {
            if (!canonical)
                canonical = canonicalDump(record);
            return *canonical;
        };
        if (voiceRun[at] >= 0)
            place(voiceClasses[static_cast<std::size_t>(voiceRun[at])], stored, dump, n, sameVoice);
        if (namelessRun[at] >= 0)
            place(namelessClasses[static_cast<std::size_t>(namelessRun[at])], stored, dump, n, sameButName);
    };
    if (LibraryResult read = library_.forEachRecord(confirm); !read)
        return read;

    const auto collect = [](std::vector<std::vector<Class>>& runs) {
        std::vector<std::vector<int>> found;
        for (std::vector<Class>& classes : runs)
            for (Class& c : classes)
                if (c.numbers.size() > 1)
                    found.push_back(std::move(c.numbers));
        runs = {};
        std::sort(found.begin(), found.end());
        return found;
    };
    groups.exact = collect(voiceClasses);
    // A group of the second kind is worth listing only when its voices are
    // not all one voice. Both lists are sorted, so that is a binary search.
    for (std::vector<int>& group : collect(namelessClasses))
        if (!std::binary_search(groups.exact.begin(), groups.exact.end(), group))
            groups.nameOnly.push_back(std::move(group));
    return {};
}

} // namespace morvane
