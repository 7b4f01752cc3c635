#pragma once
// A pause timer that rings only when the test says so.

#include <cstdint>
#include <optional>

#include "platform/timer.h"

namespace kvl::fakes {

class FakePauseTimer final : public PauseTimer {
public:
    void Start(std::uint32_t ms) override { pending = ms; }
    void Stop() override { pending.reset(); }

    std::optional<std::uint32_t> pending;  // the pause now running
};

}  // namespace kvl::fakes
