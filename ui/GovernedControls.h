// Every control an enabling rule addresses, each once: the main dialog keeps a
// member control object for each of them.
#pragma once

#include <array>
#include <cstddef>

#include "ui/EnablingRules.h"

namespace kmx {

constexpr std::size_t CountGovernedControls() {
    std::size_t count = 0;
    for (const EnablingStep& step : kEnablingSteps) count += step.count;
    return count;
}

inline constexpr std::size_t kGovernedControlCount = CountGovernedControls();

constexpr std::array<int, kGovernedControlCount> ListGovernedControls() {
    std::array<int, kGovernedControlCount> ids{};
    std::size_t next = 0;
    for (const EnablingStep& step : kEnablingSteps)
        for (const int id : step) ids[next++] = id;
    return ids;
}

inline constexpr std::array<int, kGovernedControlCount> kGovernedControlIds = ListGovernedControls();

}  // namespace kmx
