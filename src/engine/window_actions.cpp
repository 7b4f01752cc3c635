#include "engine/window_actions.h"

namespace kvl {

std::int16_t ShowCommandForAction(std::string_view name) {
    // Only ASCII letters are lowered: every action name is ASCII, and a wider mapping would
    // let look-alike letters (the Kelvin sign, a dotted capital I) spell an action.
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower == "hide") return 0;
    if (lower == "maximize") return 3;
    if (lower == "minimize") return 2;
    if (lower == "restore") return 1;
    if (lower == "close") return kCloseMarker;
    return kNoActionMarker;
}

bool SetWindowState(Desktop& desktop, WindowHandle window, std::string_view name) {
    const std::int16_t command = ShowCommandForAction(name);
    if (command == kCloseMarker) return PostClose(desktop, window);
    if (command == kNoActionMarker) return true;
    return desktop.Show(window, command);
}

bool PostClose(Desktop& desktop, WindowHandle window) { return desktop.PostClose(window); }

std::string WindowCaption(Desktop& desktop, WindowHandle window) {
    if (!desktop.IsVisible(window)) return {};
    if (!desktop.IsEnabled(window)) return {};
    return desktop.Caption(window, kMaxCaptionUnits);
}

}  // namespace kvl
