#include "memory/MainTicker.h"

namespace kelvora {

MainTicker::Due MainTicker::tick() {
    Due due;
    if (PanelTickCount < PanelRefreshTicks) {
        ++PanelTickCount;
    } else {
        PanelTickCount = 0;
        due.refreshPanel = true;
    }
    if (PriorityTickCount < PriorityCheckTicks) {
        ++PriorityTickCount;
    } else {
        PriorityTickCount = 0;
        due.checkPriority = true;
    }
    return due;
}

} // namespace kelvora
