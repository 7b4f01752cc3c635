#pragma once
// Ports to timers. Their ticks reach the window that owns them, not through these interfaces.

#include <cstdint>

namespace kvl {

class MinuteTimer {
public:
    virtual ~MinuteTimer() = default;
    // A new interval restarts a running timer; 0 or less means it never ticks.
    virtual void SetInterval(int minutes) = 0;
    // Counting starts when the timer is enabled.
    virtual void Enable(bool on) = 0;
};

// A one-shot wake-up, for the pauses between keystrokes: waiting on the program's only
// thread would leave the tray, the shell and the session's end unanswered.
class PauseTimer {
public:
    virtual ~PauseTimer() = default;
    // Rings once, `ms` from now; a new start replaces a pending one.
    virtual void Start(std::uint32_t ms) = 0;
    virtual void Stop() = 0;
};

}  // namespace kvl
