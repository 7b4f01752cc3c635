#pragma once
// The monitoring strengths offered to the user, each with the level the window watcher gets.

#include <array>
#include <cstdint>
#include <string_view>

namespace kvl {

struct StrengthEntry {
    std::string_view name;
    std::int16_t level;
};

inline constexpr std::array<StrengthEntry, 6> kStrengthTable{{
    {"Ultra", 1},
    {"Strong", 2},
    {"Moderate*", 3},
    {"Weaker", 4},
    {"Non-Realtime", 10},
    {"Disabled", 0},
}};

inline constexpr int kDefaultStrength = 3;  // "Weaker"

// Level of the selected entry; no valid selection watches nothing.
constexpr std::int16_t SelectedStrengthLevel(int selected) {
    if (selected < 0 || selected >= static_cast<int>(kStrengthTable.size())) return 0;
    return kStrengthTable[static_cast<std::size_t>(selected)].level;
}

}  // namespace kvl
