#include "platform/win32/timer.h"

#include <algorithm>
#include <vector>

namespace kvl::win32 {

namespace {
// The timers attached to a window; all live on the one UI thread.
std::vector<WindowTimer*>& Attached() {
    static std::vector<WindowTimer*> timers;
    return timers;
}
}  // namespace

WindowTimer::~WindowTimer() {
    Enable(false);
    std::erase(Attached(), this);
}

void WindowTimer::Attach(HWND owner) {
    owner_ = owner;
    if (std::find(Attached().begin(), Attached().end(), this) == Attached().end())
        Attached().push_back(this);
}

bool WindowTimer::Tick(HWND owner, UINT_PTR id) {
    for (WindowTimer* timer : Attached()) {
        if (timer->owner_ != owner || timer->id_ != id) continue;
        // A copy runs: the handler may end what owns the timer.
        if (const auto run = timer->onTimer) run();
        return true;
    }
    return false;
}

}  // namespace kvl::win32
