#include "Categories.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

std::uint32_t maskOf(std::initializer_list<std::string_view> names)
{
    std::uint32_t mask = 0;
    for (std::string_view name : names)
        mask |= categoryBit(static_cast<std::size_t>(categoryIndex(name)));
    return mask;
}

} // namespace

TEST(CategoriesTest, EveryCaptionHasItsBit)
{
    struct Case {
        std::string_view name;
        std::uint32_t mask;
    };
    const Case cases[] = {
        {"Strings", 0x0001},    {"Brass", 0x0002},    {"Woodwind", 0x0004},   {"Percussion", 0x0008},
        {"Plucked", 0x0010},    {"Pad", 0x0020},      {"Solo", 0x0040},       {"Synthetic", 0x0080},
        {"Bass", 0x0100},       {"Vocal", 0x0200},    {"Piano", 0x0400},      {"Organ", 0x0800},
        {"Keyboard", 0x1000},   {"Musical FX", 0x2000}, {"Untuned FX", 0x4000}, {"Realistic", 0x8000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mask, maskOf({c.name})) << c.name;
    EXPECT_EQ(-1, categoryIndex("strings"));
    EXPECT_EQ(-1, categoryIndex(""));
}

TEST(CategoriesTest, FilterNeedsEveryCheckedCategory)
{
    const std::uint32_t stringsPad = maskOf({"Strings", "Pad"});
    struct Case {
        const char* what;
        std::uint32_t record;
        std::uint32_t filter;
        bool listed;
    };
    const Case cases[] = {
        {"no filter lists everything", 0x0000, 0, true},
        {"no filter lists everything", 0xFFFF, 0, true},
        {"Strings+Pad voice under Strings+Pad", stringsPad, stringsPad, true},
        {"more categories than checked", stringsPad | maskOf({"Solo"}), stringsPad, true},
        {"Strings only under Strings+Pad", maskOf({"Strings"}), stringsPad, false},
        {"Pad only under Strings+Pad", maskOf({"Pad"}), stringsPad, false},
        {"Brass only under Brass+Solo", maskOf({"Brass"}), maskOf({"Brass", "Solo"}), false},
        {"Brass only under Brass", maskOf({"Brass"}), maskOf({"Brass"}), true},
        {"upper bits of the filter are ignored", maskOf({"Pad"}), maskOf({"Pad"}) | 0xFFFF0000, true},
        {"upper bits of a record carry no category", 0x00010000, maskOf({"Strings"}), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.listed, matchesFilter(c.record, c.filter)) << c.what;
}
