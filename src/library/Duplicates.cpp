#include "Duplicates.h"

#include "VoiceData.h"

#include <algorithm>

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

} // namespace

VoiceDump canonicalDump(const LibraryRecord& record)
{
    VoiceParameters voice;
    VoiceData data(voice);
    data.decodeDump(record.data() + kRecordMaskSize, kSyDumpSize);  // a record always holds 592 bytes
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

// Two forward passes over the file, whatever its size. The first keeps two
// hashes per record in flat arrays; records whose hash is shared by no other
// are done with. The second splits each shared hash into classes by the bytes
// themselves, holding one dump per class, not one per record, so memory is
// linear in the records and small beside the file.
LibraryResult DuplicateIndex::groups(Groups& groups)
{
    groups = {};
    struct Keyed {
        std::uint64_t hash;
        int number;
        bool operator<(const Keyed& other) const
        {
            return hash != other.hash ? hash < other.hash : number < other.number;
        }
    };
    std::vector<Keyed> byVoice, byNameless;
    if (LibraryResult read = library_.forEachRecord([&](int n, const LibraryRecord& record) {
            const VoiceDump dump = canonicalDump(record);
            byVoice.push_back({hashOf(dump, true), n});
            byNameless.push_back({hashOf(dump, false), n});
        });
        !read)
        return read;
    const std::size_t count = byVoice.size();

    // For each record, the run of records sharing its hash (-1 when it shares
    // it with none).
    const auto runsOf = [count](std::vector<Keyed>& keyed, std::vector<int>& runOf) {
        std::sort(keyed.begin(), keyed.end());
        runOf.assign(count, -1);
        int runs = 0;
        for (std::size_t i = 0; i < keyed.size();) {
            std::size_t j = i + 1;
            while (j < keyed.size() && keyed[j].hash == keyed[i].hash)
                ++j;
            if (j - i > 1) {
                for (std::size_t k = i; k < j; ++k)
                    runOf[static_cast<std::size_t>(keyed[k].number)] = runs;
                ++runs;
            }
            i = j;
        }
        keyed = {};
        return runs;
    };
    std::vector<int> voiceRun, namelessRun;
    const int voiceRuns = runsOf(byVoice, voiceRun);
    const int namelessRuns = runsOf(byNameless, namelessRun);
    if (voiceRuns == 0 && namelessRuns == 0)
        return {};

    // A class: the dump that stands for it and its records in file order.
    struct Class {
        VoiceDump dump;
        std::vector<int> numbers;
    };
    std::vector<std::vector<Class>> voiceClasses(static_cast<std::size_t>(voiceRuns));
    std::vector<std::vector<Class>> namelessClasses(static_cast<std::size_t>(namelessRuns));
    const auto place = [](std::vector<Class>& classes, const VoiceDump& dump, int n,
                          bool (*same)(const VoiceDump&, const VoiceDump&)) {
        for (Class& c : classes)
            if (same(c.dump, dump)) {
                c.numbers.push_back(n);
                return;
            }
        classes.push_back({dump, {n}});
    };
    if (LibraryResult read = library_.forEachRecord([&](int n, const LibraryRecord& record) {
            const auto at = static_cast<std::size_t>(n);
            // A record appended since the first pass has no place in it.
            if (at >= count || (voiceRun[at] < 0 && namelessRun[at] < 0))
                return;
            const VoiceDump dump = canonicalDump(record);
            if (voiceRun[at] >= 0)
                place(voiceClasses[static_cast<std::size_t>(voiceRun[at])], dump, n, sameVoice);
            if (namelessRun[at] >= 0)
                place(namelessClasses[static_cast<std::size_t>(namelessRun[at])], dump, n, sameButName);
        });
        !read)
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
