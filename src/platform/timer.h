#pragma once
// Port to a timer that counts whole minutes. Its tick reaches the window that owns it, not
// through this interface.

namespace kvl {

class MinuteTimer {
public:
    virtual ~MinuteTimer() = default;
    // A new interval restarts a running timer; 0 or less means it never ticks.
    virtual void SetInterval(int minutes) = 0;
    // Counting starts when the timer is enabled.
    virtual void Enable(bool on) = 0;
};

}  // namespace kvl
