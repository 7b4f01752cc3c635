#include "platform/win32/minute_timer.h"

#include <algorithm>

namespace kvl::win32 {

UINT Win32MinuteTimer::ToMilliseconds(int minutes) {
    if (minutes <= 0) return 0;
    // 16-bit minutes fit; anything longer is held at the longest interval the system keeps.
    const long long ms = static_cast<long long>(minutes) * 60'000;
    return static_cast<UINT>(std::min<long long>(ms, USER_TIMER_MAXIMUM));
}

void Win32MinuteTimer::SetInterval(int minutes) {
    minutes_ = minutes;
    // Stopped first, so that a running timer is never handed a 0 ms interval even briefly.
    if (minutes <= 0) timer_.Enable(false);
    timer_.SetInterval(ToMilliseconds(minutes));
    Apply();
}

void Win32MinuteTimer::Enable(bool on) {
    enabled_ = on;
    Apply();
}

void Win32MinuteTimer::Apply() {
    // A system timer of 0 ms would fire at once and keep firing; no interval means no time-out,
    // so the window timer only runs while there is a real interval.
    timer_.Enable(enabled_ && minutes_ > 0);
}

}  // namespace kvl::win32
