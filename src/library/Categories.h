// The sixteen voice categories a library record can carry, and the filter
// rule the browser lists records by.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

inline constexpr std::size_t kCategoryCount = 16;

// In bit order: bit i of a record's category mask stands for entry i.
inline constexpr auto kCategoryNames = std::to_array<std::string_view>({
    "Strings", "Brass",    "Woodwind", "Percussion", "Plucked",    "Pad",        "Solo",      "Synthetic",
    "Bass",    "Vocal",    "Piano",    "Organ",      "Keyboard",   "Musical FX", "Untuned FX", "Realistic",
});

// Only these bits are categories; the upper sixteen are stored as given and
// otherwise ignored.
inline constexpr std::uint32_t kCategoryBits = 0xFFFF;

constexpr std::uint32_t categoryBit(std::size_t index)
{
    return std::uint32_t{1} << index;
}

// The bit index of a category caption, or -1. Captions match exactly.
constexpr int categoryIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kCategoryNames.size(); ++i)
        if (kCategoryNames[i] == name)
            return static_cast<int>(i);
    return -1;
}

// True when the record carries every category set in the filter (all of
// them, not any of them). An empty filter lets every record through.
constexpr bool matchesFilter(std::uint32_t recordMask, std::uint32_t filterMask)
{
    return (filterMask & kCategoryBits & ~recordMask) == 0;
}

// True when the record carries at least one category set in the filter. An
// empty filter lets every record through.
constexpr bool matchesAnyCategory(std::uint32_t recordMask, std::uint32_t filterMask)
{
    return (filterMask & kCategoryBits) == 0 || (filterMask & kCategoryBits & recordMask) != 0;
}

namespace detail {
constexpr bool categoriesNamedOnce()
{
    for (std::size_t i = 0; i < kCategoryNames.size(); ++i) {
        if (kCategoryNames[i].empty())
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (kCategoryNames[i] == kCategoryNames[j])
                return false;
    }
    return true;
}
} // namespace detail

static_assert(kCategoryNames.size() == kCategoryCount, "one name for each of the 16 category bits");
static_assert(kCategoryBits == categoryBit(kCategoryCount) - 1);
static_assert(detail::categoriesNamedOnce(), "every category named, no name twice");
static_assert(categoryIndex("Strings") == 0 && categoryIndex("Piano") == 10 && categoryIndex("Realistic") == 15);
static_assert(matchesFilter(0x0021, 0x0021) && !matchesFilter(0x0002, 0x0042) && matchesFilter(0, 0));
static_assert(matchesFilter(0x0001, 0x00010001), "bits 16-31 of the filter are ignored");
static_assert(matchesAnyCategory(0x0002, 0x0042) && !matchesAnyCategory(0x0004, 0x0042) && matchesAnyCategory(0, 0)
              && !matchesAnyCategory(0x00010000, 0x00010001));

} // namespace morvane
