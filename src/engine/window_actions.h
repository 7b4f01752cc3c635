#pragma once
// Window-state actions ("hide", "maximize", "minimize", "restore", "close") and the caption
// reading the engine relies on.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace kvl {

inline constexpr std::int16_t kCloseMarker = -2;
inline constexpr std::int16_t kNoActionMarker = -1;
// Longest caption WindowCaption returns, in UTF-16 units.
inline constexpr std::size_t kMaxCaptionUnits = 256;

// The show command an action name stands for: hide 0, maximize 3, minimize 2, restore 1;
// kCloseMarker for "close"; kNoActionMarker for anything else. Letter case is ignored; the
// name is compared whole, with no trimming.
std::int16_t ShowCommandForAction(std::string_view name);

// False when Windows would not take the action; an unknown name does nothing, and that is no
// failure.
bool SetWindowState(Desktop& desktop, WindowHandle window, std::string_view name);
bool PostClose(Desktop& desktop, WindowHandle window);

// The caption of a visible, enabled window, at most 256 UTF-16 units; empty otherwise.
std::string WindowCaption(Desktop& desktop, WindowHandle window);

}  // namespace kvl
