#include "engine/action_plan.h"

#include "engine/caption_match.h"
#include "engine/watch_condition.h"
#include "platform/blanks.h"

namespace kvl {

ActionResult StillMeant(Desktop& desktop, const ActionTarget& target) {
    const WindowHandle window = target.window;
    const Watch& condition = target.condition;
    if (!desktop.Exists(window)) return ActionResult::WindowGone;
    if (!desktop.IsVisible(window)) return ActionResult::NoLongerMatches;
    const std::string caption = desktop.Caption(window, kComparedCaptionUnits);
    const std::string windowClass =
        condition.windowClass.empty() ? std::string() : desktop.WindowClass(window);
    const std::string program =
        condition.program.empty() ? std::string() : desktop.ProgramPath(window);
    return StillMatches(condition, {window, true, caption, windowClass, program})
               ? ActionResult::Done
               : ActionResult::NoLongerMatches;
}

namespace {

// Blanks around, and a trailing "..." (or "…"), do not count.
std::u32string Shown(std::string_view text) {
    std::string_view shown = TrimBlanks(text);
    for (std::string_view ellipsis : {std::string_view("..."), std::string_view("\u2026")})
        if (shown.ends_with(ellipsis)) shown.remove_suffix(ellipsis.size());
    return FoldCase(TrimBlanks(shown));
}

// A control's caption as it shows on screen: "&" marks the access key, "&&" is a plain "&".
std::string WithoutAccessMarks(std::string_view caption) {
    std::string text;
    for (std::size_t k = 0; k < caption.size(); ++k) {
        if (caption[k] == '&') {
            if (k + 1 < caption.size() && caption[k + 1] == '&') text += caption[++k];
            continue;
        }
        text += caption[k];
    }
    return text;
}

}  // namespace

bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted) {
    const std::u32string onScreen = Shown(WithoutAccessMarks(caption));
    // Typed as it reads on screen ("Save & Exit"), or as the program wrote it ("&No").
    const std::u32string typed = Shown(wanted);
    return !typed.empty() &&
           (onScreen == typed || onScreen == Shown(WithoutAccessMarks(wanted)));
}

}  // namespace kvl
