#include "monitors/monitor.h"

namespace kvl {

int MonitorCount(const MonitorTable& table) {
    int n = 0;
    while (n < kStoredSlots && !table[n].Description.empty()) ++n;
    return n;
}

int FirstFreeMonitorSlot(const MonitorTable& table) { return MonitorCount(table); }

void ClearTable(MonitorTable& table) { table.fill(Monitor{}); }

}  // namespace kvl
