#pragma once
// The minute-timer port on a window's interval timer; its tick is the window timer's onTimer.

#include <windows.h>

#include "platform/timer.h"
#include "platform/win32/timer.h"

namespace kvl::win32 {

class Win32MinuteTimer final : public MinuteTimer {
public:
    Win32MinuteTimer(UINT_PTR id, int minutes)
        : timer_(id, ToMilliseconds(minutes)), minutes_(minutes) {}

    void Attach(HWND owner) { timer_.Attach(owner); }
    UINT_PTR Id() const { return timer_.Id(); }
    WindowTimer& Timer() { return timer_; }

    void SetInterval(int minutes) override;
    void Enable(bool on) override;

private:
    static UINT ToMilliseconds(int minutes);
    void Apply();

    WindowTimer timer_;
    int minutes_;
    bool enabled_ = false;
};

}  // namespace kvl::win32
