#include "engine/action_plan.h"

#include <optional>

#include "engine/caption_match.h"
#include "engine/key_text.h"
#include "engine/watch_condition.h"
#include "engine/window_actions.h"
#include "platform/blanks.h"

namespace kvl {

namespace {

// Longest caption a condition is compared with, in UTF-16 units: the watcher reads no more.
constexpr std::size_t kComparedCaptionUnits = 4096;

}  // namespace

ActionResult StillMeant(Desktop& desktop, const ActionTarget& target) {
    const WindowHandle window = target.window;
    const Watch& condition = target.condition;
    if (!desktop.Exists(window)) return ActionResult::WindowGone;
    if (target.hiddenByPlan || !desktop.IsVisible(window)) return ActionResult::NoLongerMatches;
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

ActionResult Type(Desktop& desktop, const ActionStep& step, const ActionTarget& target) {
    const WindowHandle window = target.window;
    switch (StillMeant(desktop, target)) {
        case ActionResult::Done: break;
        case ActionResult::WindowGone: return ActionResult::KeysWindowGone;
        default: return ActionResult::NoLongerMatches;
    }
    // Typed anyway, the keys would go to whatever has the focus: another program's document,
    // say. After a pause the window is not brought back: the user may have gone elsewhere.
    const bool inFront = step.bringToFront ? desktop.Activate(window) : desktop.IsInFront(window);
    const std::optional<KeySequence> strokes = ParseKeyText(step.text);
    if (!strokes || strokes->empty()) return ActionResult::Done;
    if (!inFront) return ActionResult::KeysNotTyped;
    switch (desktop.Inject(*strokes, window)) {
        case Desktop::Typing::Typed: return ActionResult::Done;
        case Desktop::Typing::Refused: return ActionResult::KeysRefused;
        case Desktop::Typing::NotInFront: return ActionResult::KeysNotTyped;
    }
    return ActionResult::KeysNotTyped;
}

ActionResult Press(Desktop& desktop, const ActionStep& step, WindowHandle window) {
    for (const Desktop::Button& button : desktop.PushButtons(window)) {
        if (!ButtonCaptionMatches(button.caption, step.text)) continue;
        return desktop.PressButton(button.handle) ? ActionResult::Done
                                                  : ActionResult::ButtonNotPressed;
    }
    return ActionResult::ButtonNotFound;
}

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

ActionResult RunStep(Desktop& desktop, const ActionStep& step, const ActionTarget& target) {
    switch (step.kind) {
        case ActionStep::Kind::SetState:
            SetWindowState(desktop, target.window, step.text);
            return ActionResult::Done;
        case ActionStep::Kind::Type:
            return Type(desktop, step, target);
        case ActionStep::Kind::Pause:
            return ActionResult::Done;
        case ActionStep::Kind::PressButton:
            return Press(desktop, step, target.window);
        case ActionStep::Kind::Place: {
            // Before the window-state action, which may be the one that hides it.
            ActionTarget shown = target;
            shown.hiddenByPlan = false;
            const ActionResult meant = StillMeant(desktop, shown);
            if (meant != ActionResult::Done) return meant;
            std::string scratch;
            return PlaceWindow(desktop, step.place, target.window, target.said ? *target.said : scratch)
                       ? ActionResult::Done
                       : ActionResult::WindowGone;
        }
    }
    return ActionResult::Done;
}

ActionResult RunAtOnce(Desktop& desktop, const ActionPlan& plan) {
    ActionResult result = plan.refusal;
    int failedGroup = -2;
    for (const ActionStep& step : plan.steps) {
        if (step.group == failedGroup) continue;
        if (step.kind == ActionStep::Kind::Pause) {
            desktop.Sleep(step.ms);
            continue;
        }
        const ActionResult outcome = RunStep(desktop, step, plan.target);
        if (outcome != ActionResult::Done) {
            result = outcome;
            failedGroup = step.group;
        }
    }
    return result;
}

bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted) {
    const std::u32string onScreen = Shown(WithoutAccessMarks(caption));
    // Typed as it reads on screen ("Save & Exit"), or as the program wrote it ("&No").
    const std::u32string typed = Shown(wanted);
    return !typed.empty() &&
           (onScreen == typed || onScreen == Shown(WithoutAccessMarks(wanted)));
}

}  // namespace kvl
