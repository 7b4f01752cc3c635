#pragma once
// Records what the program sets on a minute timer; it never ticks by itself.

#include <vector>

#include "platform/timer.h"

namespace kvl::fakes {

class FakeMinuteTimer final : public MinuteTimer {
public:
    void SetInterval(int m) override { intervals.push_back(m); }
    void Enable(bool on) override { enabled = on; }

    std::vector<int> intervals;  // every SetInterval, in order
    bool enabled = false;
};

}  // namespace kvl::fakes
