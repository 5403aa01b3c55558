// Where a fixed fact about the instruments comes from. Tables of waves,
// presets and templates carry it on every row, so a check can tell the
// instrument's own values from those this program chose.
#pragma once

#include <cstdint>

namespace morvane {

enum class FactSource : std::uint8_t {
    Documented,  // the instrument's own value, as its documentation gives it
    Observed,    // read from real voices that keep it
    OwnChoice,   // this program's choice, made to suit the row
};

inline constexpr FactSource kDocumented = FactSource::Documented;
inline constexpr FactSource kObserved = FactSource::Observed;
inline constexpr FactSource kOwnChoice = FactSource::OwnChoice;

} // namespace morvane
