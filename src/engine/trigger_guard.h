#pragma once
// The repeat guard: a window acted on moments ago is not acted on again when it is reported
// once more (for a second watch, or after a flicker).

#include <array>
#include <optional>

#include "platform/clock.h"
#include "platform/window_watcher.h"

namespace kvl {

struct TriggerRecord {
    std::array<WindowHandle, 2> RecentWindows{};  // newest first
    std::optional<LocalTime> LastTriggerTime;      // of any monitor
};

// Minute boundaries passed between two local times: both cut to the minute, then subtracted.
long MinuteBoundariesBetween(const LocalTime& from, const LocalTime& to);

// A report of one of the two latest windows within 5 minute boundaries of the last trigger.
bool IsRepeat(const TriggerRecord& record, WindowHandle window, const LocalTime& now);

void RecordTrigger(TriggerRecord& record, WindowHandle window, const LocalTime& now);

}  // namespace kvl
