#pragma once

#include <cstdint>

namespace kvl {

// A top-level window handle as a number; 0 is no window.
using WindowHandle = std::uintptr_t;

}  // namespace kvl
