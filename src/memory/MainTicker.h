#pragma once

#include <cstdint>

namespace kelvora {

// The two counters that GlobalTimer's 100 ms tick drives: the memory panel refresh and the foreground check.
class MainTicker {
public:
    struct Due {
        bool refreshPanel = false;
        bool checkPriority = false;
    };

    // Counts one tick; says which routines are due now. Counters are reset before their routine runs.
    Due tick();

    std::int16_t PanelRefreshTicks = 10;
    std::int16_t PanelTickCount = 0;
    std::int16_t PriorityCheckTicks = 20;
    std::int16_t PriorityTickCount = 0;
};

} // namespace kelvora
