#include "Duplicates.h"

#include "VoiceData.h"

#include <algorithm>
#include <map>

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

LibraryResult DuplicateIndex::groups(Groups& groups)
{
    groups = {};
    if (LibraryResult built = build(); !built)
        return built;
    // Records that share a hash, split by the bytes themselves.
    const auto collect = [this](const std::unordered_multimap<std::uint64_t, int>& index, bool (*same)(const VoiceDump&, const VoiceDump&)) {
        std::map<std::uint64_t, std::vector<int>> byHash;
        for (const auto& [hash, number] : index)
            byHash[hash].push_back(number);
        std::vector<std::vector<int>> found;
        for (auto& [hash, numbers] : byHash) {
            if (numbers.size() < 2)
                continue;
            std::sort(numbers.begin(), numbers.end());
            std::vector<std::pair<VoiceDump, std::vector<int>>> classes;
            VoiceDump dump;
            for (int n : numbers) {
                if (!dumpOf(n, dump))
                    continue;
                auto it = std::find_if(classes.begin(), classes.end(), [&](const auto& c) { return same(c.first, dump); });
                if (it == classes.end())
                    classes.push_back({dump, {n}});
                else
                    it->second.push_back(n);
            }
            for (auto& c : classes)
                if (c.second.size() > 1)
                    found.push_back(std::move(c.second));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    groups.exact = collect(exact_, sameVoice);
    // A group of the second kind is worth listing only when its voices are
    // not all one voice.
    for (std::vector<int>& group : collect(nameless_, sameButName)) {
        const bool allOne = std::any_of(groups.exact.begin(), groups.exact.end(),
                                        [&](const std::vector<int>& e) { return e == group; });
        if (!allOne)
            groups.nameOnly.push_back(std::move(group));
    }
    return {};
}

} // namespace morvane
