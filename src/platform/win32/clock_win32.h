#pragma once
// The local clock, and date-time text in the user's own format.

#include <string>

#include "platform/clock.h"

namespace kvl::win32 {

class Win32Clock final : public Clock {
public:
    LocalTime Now() override;
};

// Short date and time to the second, as the user's locale writes them.
std::wstring FormatLocalTime(const LocalTime& t);

}  // namespace kvl::win32
