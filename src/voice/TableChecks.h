// Compile-time checks for the fixed name tables.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace morvane {

template <std::size_t N>
constexpr bool allNamed(const std::array<std::string_view, N>& table)
{
    for (std::string_view name : table)
        if (name.empty())
            return false;
    return true;
}

} // namespace morvane
