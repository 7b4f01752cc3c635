#include "engine/trigger_guard.h"

#include <chrono>

namespace kvl {

namespace {

long MinuteNumber(const LocalTime& t) {
    using namespace std::chrono;
    const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                        std::chrono::day{static_cast<unsigned>(t.day)}};
    return static_cast<long>(day.time_since_epoch().count()) * 1440 + t.hour * 60 + t.minute;
}

}  // namespace

long MinuteBoundariesBetween(const LocalTime& from, const LocalTime& to) {
    return MinuteNumber(to) - MinuteNumber(from);
}

bool IsRepeat(const TriggerRecord& record, WindowHandle window, const LocalTime& now) {
    if (window != record.RecentWindows[0] && window != record.RecentWindows[1]) return false;
    // Nothing triggered yet: the recent windows are the empty handle, never a real window.
    if (!record.LastTriggerTime) return false;
    return MinuteBoundariesBetween(*record.LastTriggerTime, now) < 5;
}

void RecordTrigger(TriggerRecord& record, WindowHandle window, const LocalTime& now) {
    record.RecentWindows[1] = record.RecentWindows[0];
    record.RecentWindows[0] = window;
    record.LastTriggerTime = now;
}

}  // namespace kvl
