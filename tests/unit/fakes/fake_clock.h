#pragma once
// A clock that shows what the test sets.

#include "platform/clock.h"

namespace kvl::fakes {

class FakeClock final : public Clock {
public:
    LocalTime Now() override { return now; }
    LocalTime now{2026, 12, 7, 10, 0, 0};
};

}  // namespace kvl::fakes
