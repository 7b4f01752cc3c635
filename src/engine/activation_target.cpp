#include "engine/activation_target.h"

#include "engine/caption_match.h"

namespace kvl {

WindowHandle ActivationTarget(std::string_view title, WindowHandle preferred,
                              const std::optional<std::string>& preferredCaption,
                              const std::function<std::vector<ShownWindow>()>& shownFrontToBack) {
    const std::u32string wanted = FoldCase(title);
    if (preferred && preferredCaption &&
        FoldCase(*preferredCaption).find(wanted) != std::u32string::npos)
        return preferred;
    // An empty title would name every window.
    if (wanted.empty()) return 0;

    const std::vector<ShownWindow> shown = shownFrontToBack();
    std::vector<std::u32string> captions;
    captions.reserve(shown.size());
    for (const ShownWindow& w : shown) captions.push_back(FoldCase(w.caption));
    for (std::size_t k = 0; k < shown.size(); ++k)
        if (captions[k] == wanted) return shown[k].window;
    for (std::size_t k = 0; k < shown.size(); ++k)
        if (captions[k].find(wanted) != std::u32string::npos) return shown[k].window;
    return 0;
}

}  // namespace kvl
