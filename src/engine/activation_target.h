#pragma once
// Which window Desktop::Activate brings to the front for a keystroke step.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_handle.h"

namespace kvl {

struct ShownWindow {
    WindowHandle window = 0;
    std::string caption;
};

// `preferred` when its caption contains `title` (letter case ignored), else the frontmost
// shown window whose whole caption equals it, else the frontmost whose caption contains it;
// 0 for none. `preferredCaption` is nothing when `preferred` is not a shown window.
// `shownFrontToBack` lists the shown top-level windows; it is asked only when `preferred`
// does not do, since listing every window's caption is the costly part.
WindowHandle ActivationTarget(std::string_view title, WindowHandle preferred,
                              const std::optional<std::string>& preferredCaption,
                              const std::function<std::vector<ShownWindow>()>& shownFrontToBack);

}  // namespace kvl
