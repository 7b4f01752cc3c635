#pragma once
// An interval timer on a window: its ticks arrive as WM_TIMER with the timer's id, and the
// one window procedure of our windows hands them to the timer, which raises onTimer.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "platform/timer.h"

namespace kvl::win32 {

class WindowTimer {
public:
    WindowTimer(UINT_PTR id, UINT intervalMs) : id_(id), intervalMs_(intervalMs) {}
    ~WindowTimer();
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void Attach(HWND owner);
    UINT_PTR Id() const { return id_; }
    HWND Owner() const { return owner_; }
    bool Enabled() const { return enabled_; }
    UINT Interval() const { return intervalMs_; }

    // Like the classic timer control: a new interval restarts a running timer.
    void SetInterval(UINT ms) {
        intervalMs_ = ms;
        if (enabled_) SetTimer(owner_, id_, intervalMs_, nullptr);
    }
    // Counts the interval afresh from now, running or not.
    void Restart() {
        Enable(false);
        Enable(true);
    }
    void Enable(bool on) {
        if (on == enabled_ || !owner_) return;
        enabled_ = on;
        if (on)
            SetTimer(owner_, id_, intervalMs_, nullptr);
        else
            KillTimer(owner_, id_);
    }

    std::function<void()> onTimer;

    // For the owner's window procedure: raises the tick of the timer `id` of `owner`; true
    // when that is one of these timers.
    static bool Tick(HWND owner, UINT_PTR id);

private:
    HWND owner_ = nullptr;
    UINT_PTR id_;
    UINT intervalMs_;
    bool enabled_ = false;
};

// The pause-timer port on a window timer that rings once: its onTimer is the port's ring.
class WindowPauseTimer final : public PauseTimer {
public:
    explicit WindowPauseTimer(UINT_PTR id) : timer_(id, 0) {
        timer_.onTimer = [this] {
            // A tick posted before a Stop may still come: it rings nothing.
            if (!posted_ && !timer_.Enabled()) return;
            posted_ = false;
            timer_.Enable(false);
            if (onRing) onRing();
        };
    }
    void Attach(HWND owner) { timer_.Attach(owner); }

    void Start(std::uint32_t ms) override {
        Stop();
        // No wait at all: ring as soon as the messages already there are answered, the user's
        // input first. A posted tick comes before input, so it is posted only when none waits;
        // else the system's shortest timer lets the input in before it.
        if (ms == 0 && HIWORD(GetQueueStatus(QS_INPUT)) == 0 &&
            PostMessageW(timer_.Owner(), WM_TIMER, timer_.Id(), 0)) {
            posted_ = true;
            return;
        }
        // SetTimer takes at most USER_TIMER_MAXIMUM, about 24 days; the longest pause of a
        // keystroke step is 32767 s.
        timer_.SetInterval(static_cast<UINT>(std::min<std::uint32_t>(ms, 0x7FFFFFFF)));
        timer_.Restart();
    }
    void Stop() override {
        posted_ = false;
        timer_.Enable(false);
    }
    bool Pending() const { return posted_ || timer_.Enabled(); }

    std::function<void()> onRing;

private:
    WindowTimer timer_;
    bool posted_ = false;  // a tick is on its way as a posted message
};

}  // namespace kvl::win32
