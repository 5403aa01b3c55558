// The sixteen category check boxes in their screen order, which is not the
// bit order. The browser and the voice-type dialog show them alike.
#pragma once

#include "Categories.h"

#include <QCheckBox>

#include <array>
#include <string_view>

namespace morvane {

struct CategoryBox {
    std::string_view objectName;
    int bit;  // index into kCategoryNames
};

inline constexpr std::array<CategoryBox, kCategoryCount> kCategoryBoxes{{
    {"cbStrings", categoryIndex("Strings")},       {"cbBrass", categoryIndex("Brass")},
    {"cbWoodwind", categoryIndex("Woodwind")},     {"cbPiano", categoryIndex("Piano")},
    {"cbOrgan", categoryIndex("Organ")},           {"cbKeyboard", categoryIndex("Keyboard")},
    {"cbBass", categoryIndex("Bass")},             {"cbVocal", categoryIndex("Vocal")},
    {"cbPercussion", categoryIndex("Percussion")}, {"cbMusicalFX", categoryIndex("Musical FX")},
    {"cbUntunedFX", categoryIndex("Untuned FX")},  {"cbPlucked", categoryIndex("Plucked")},
    {"cbSolo", categoryIndex("Solo")},             {"cbPad", categoryIndex("Pad")},
    {"cbRealistic", categoryIndex("Realistic")},   {"cbSynthetic", categoryIndex("Synthetic")},
}};

namespace detail {
constexpr bool everyCategoryBoxedOnce()
{
    unsigned seen = 0;
    for (const CategoryBox& box : kCategoryBoxes) {
        if (box.bit < 0 || (seen & (1u << box.bit)) != 0)
            return false;
        seen |= 1u << box.bit;
    }
    return seen == kCategoryBits;
}
} // namespace detail
static_assert(detail::everyCategoryBoxedOnce(), "each category has exactly one box");

inline constexpr const char* kCategoryHint = "Select check box to filter voices";

// The check box of one category, with its name, caption and hint.
inline QCheckBox* makeCategoryBox(const CategoryBox& category, QWidget* parent)
{
    const std::string_view caption = kCategoryNames[static_cast<std::size_t>(category.bit)];
    auto* box = new QCheckBox(QString::fromLatin1(caption.data(), static_cast<int>(caption.size())), parent);
    box->setObjectName(QString::fromLatin1(category.objectName.data(), static_cast<int>(category.objectName.size())));
    box->setToolTip(QString::fromLatin1(kCategoryHint));
    return box;
}

} // namespace morvane
