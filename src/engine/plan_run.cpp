#include "engine/plan_run.h"

#include <algorithm>
#include <utility>

#include "engine/key_text.h"
#include "engine/watch_condition.h"
#include "engine/window_actions.h"

namespace kvl {

namespace {

// Modal dialogs stacked on one another deeper than this are taken as taking no input.
constexpr int kDeepestDialog = 8;

}  // namespace

WindowHandle ClickableWindow(Desktop& desktop, WindowHandle target) {
    WindowHandle window = target;
    for (int depth = 0; window && depth <= kDeepestDialog; ++depth) {
        if (desktop.IsEnabled(window)) return window;
        window = desktop.ModalDialogOf(window);
    }
    return 0;
}

PlanRun::PlanRun(ActionPlan plan)
    : plan_(std::move(plan)),
      condition_(std::make_unique<WatchCondition>(plan_.target.condition)),
      result_(plan_.refusal) {}

PlanRun::~PlanRun() = default;
PlanRun::PlanRun(PlanRun&&) noexcept = default;
PlanRun& PlanRun::operator=(PlanRun&&) noexcept = default;

const std::string& PlanRun::ProgramOf(Desktop& desktop) {
    if (!program_) program_ = desktop.ProgramPath(plan_.target.window);
    return *program_;
}

PlanRun::Look PlanRun::LookAgain(Desktop& desktop) {
    const WindowHandle window = plan_.target.window;
    if (!desktop.Exists(window)) return Look::Gone;
    // A window gone, whose handle the system gave to a new one of another program (or of ours),
    // is gone for the run, whatever its caption.
    const std::uint32_t pid = desktop.ProcessId(window);
    if (!pid_) pid_ = pid;
    if (pid != pid_ || desktop.IsOwnWindow(window)) return Look::Gone;
    if (hiddenByUs_) {
        // Hidden on purpose, it is still the window meant as long as it is the same one.
    } else if (!desktop.IsVisible(window)) {
        return Look::NoLongerMatches;
    }
    const std::string caption = desktop.Caption(window, kComparedCaptionUnits);
    const std::string windowClass =
        condition_->NeedsClass() ? desktop.WindowClass(window) : std::string();
    const std::string_view program =
        condition_->NeedsProgram() ? std::string_view(ProgramOf(desktop)) : std::string_view();
    const WindowView view{window, true, caption, windowClass, program};
    FoldedWindow folded(view);
    if (!condition_->Matches(folded)) return Look::NoLongerMatches;
    return hiddenByUs_ ? Look::HiddenByUs : Look::Meant;
}

PlanRun::Progress PlanRun::End(ActionResult why) {
    result_ = why;
    ended_ = true;
    keys_.reset();
    return {Progress::Kind::Finished};
}

void PlanRun::StopKeys(ActionResult why) {
    result_ = why;
    keysStopped_ = true;
    keys_.reset();
}

void PlanRun::Stop(ActionResult why) {
    if (ended_) return;
    result_ = why;
    ended_ = true;
    keys_.reset();
}

PlanRun::Progress PlanRun::Advance(Desktop& desktop) {
    if (ended_) return {Progress::Kind::Finished};
    if (keys_) return TypeBatch(desktop);
    if (next_ == plan_.steps.size()) {
        ended_ = true;
        return {Progress::Kind::Finished};
    }
    const ActionStep& step = plan_.steps[next_++];
    switch (step.kind) {
        case ActionStep::Kind::Pause:
            // A pause is there for the keys around it.
            if (keysStopped_ || step.ms == 0) return {Progress::Kind::Next};
            return {Progress::Kind::Wait, step.ms};
        case ActionStep::Kind::SetState:
            return SetState(desktop, step);
        case ActionStep::Kind::Type:
            return StartTyping(desktop, step);
        case ActionStep::Kind::PressButton:
            return Press(desktop, step);
        case ActionStep::Kind::Place:
            return Place(desktop, step);
    }
    return {Progress::Kind::Next};
}

PlanRun::Progress PlanRun::SetState(Desktop& desktop, const ActionStep& step) {
    switch (LookAgain(desktop)) {
        case Look::Gone: return End(ActionResult::WindowGone);
        case Look::NoLongerMatches: return End(ActionResult::NoLongerMatches);
        default: break;
    }
    if (!SetWindowState(desktop, plan_.target.window, step.text))
        result_ = ActionResult::StateNotChanged;
    else if (ShowCommandForAction(step.text) == 0)
        hiddenByUs_ = true;
    return {Progress::Kind::Next};
}

std::optional<PlanRun::Progress> PlanRun::LookBeforeKeys(Desktop& desktop) {
    switch (LookAgain(desktop)) {
        case Look::Gone: return End(ActionResult::KeysWindowGone);
        case Look::NoLongerMatches: return End(ActionResult::NoLongerMatches);
        case Look::HiddenByUs: StopKeys(ActionResult::HiddenByItsMonitor); return Progress{Progress::Kind::Next};
        case Look::Meant: break;
    }
    return std::nullopt;
}

PlanRun::Progress PlanRun::StartTyping(Desktop& desktop, const ActionStep& step) {
    if (keysStopped_) return {Progress::Kind::Next};
    std::optional<KeySequence> strokes = ParseKeyText(step.text);
    // A text that types nothing has no reason to touch the window.
    if (!strokes || strokes->empty()) return {Progress::Kind::Next};
    if (const std::optional<Progress> instead = LookBeforeKeys(desktop)) return *instead;
    if (!broughtForward_) {
        broughtForward_ = true;
        if (!desktop.BringForward(plan_.target.window)) {
            StopKeys(ActionResult::KeysNotTyped);
            return {Progress::Kind::Next};
        }
    }
    keys_ = std::move(strokes);
    typed_ = 0;
    return TypeBatch(desktop);
}

PlanRun::Progress PlanRun::TypeBatch(Desktop& desktop) {
    if (const std::optional<Progress> instead = LookBeforeKeys(desktop)) return *instead;
    const std::size_t end = std::min(keys_->size(), typed_ + kStrokesPerBatch);
    const KeySequence batch(keys_->begin() + static_cast<std::ptrdiff_t>(typed_),
                            keys_->begin() + static_cast<std::ptrdiff_t>(end));
    switch (desktop.Inject(batch, plan_.target.window)) {
        case Desktop::Typing::Typed: break;
        case Desktop::Typing::Refused: StopKeys(ActionResult::KeysRefused); return {Progress::Kind::Next};
        case Desktop::Typing::NotInFront: StopKeys(ActionResult::KeysNotTyped); return {Progress::Kind::Next};
    }
    // Typing may have let the program's own messages in, and one of them stopped the run.
    if (ended_ || !keys_) return {Progress::Kind::Next};
    typed_ = end;
    if (typed_ < keys_->size()) return {Progress::Kind::Wait, 0};
    keys_.reset();
    return {Progress::Kind::Next};
}

PlanRun::Progress PlanRun::Place(Desktop& desktop, const ActionStep& step) {
    switch (LookAgain(desktop)) {
        case Look::Gone: return End(ActionResult::WindowGone);
        case Look::NoLongerMatches: return End(ActionResult::NoLongerMatches);
        default: break;
    }
    // Refused, the window stays where it is; the detail says what was done.
    if (!PlaceWindow(desktop, step.place, plan_.target.window, detail_) &&
        !desktop.Exists(plan_.target.window))
        return End(ActionResult::WindowGone);
    return {Progress::Kind::Next};
}

PlanRun::Progress PlanRun::Press(Desktop& desktop, const ActionStep& step) {
    switch (LookAgain(desktop)) {
        case Look::Gone: return End(ActionResult::ButtonNotPressed);
        case Look::NoLongerMatches: return End(ActionResult::NoLongerMatches);
        default: break;
    }
    const WindowHandle clickable = ClickableWindow(desktop, plan_.target.window);
    if (!clickable) {
        result_ = ActionResult::ButtonNotFound;
        return {Progress::Kind::Next};
    }
    for (const Desktop::Button& button : desktop.PushButtons(clickable)) {
        if (!ButtonCaptionMatches(button.caption, step.text)) continue;
        if (!desktop.PressButton(button.handle)) result_ = ActionResult::ButtonNotPressed;
        return {Progress::Kind::Next};
    }
    result_ = ActionResult::ButtonNotFound;
    return {Progress::Kind::Next};
}

}  // namespace kvl
