// Placing windows from the main window: "Arrange Open Windows", and the places the user
// leaves the windows of "remember where I leave it" monitors at.
#include "app/win32/frm_kvl.h"

#include "engine/window_actions.h"
#include "monitors/settings.h"

namespace kvl {

// The monitors' places applied now to the windows open now, as after a display is plugged in;
// the recent activity lists each window moved.
void frmKVL::mnuArrange_Click() {
    if (CommandLineMode()) return;
    const LocalTime now = services_.clock.Now();
    const MonitorTable& table = policy_.CurrentSettings().Monitors;
    Desktop& desktop = services_.desktop;
    const auto ours = [&desktop](WindowHandle w) { return desktop.IsOwnWindow(w); };
    for (const ArrangedWindow& a : ArrangeOpenWindows(table, desktop, ours)) {
        const Monitor& monitor = table[static_cast<std::size_t>(a.slot)];
        ActivityEvent event{now, monitor.Description, WindowCaption(desktop, a.window),
                            desktop.ProgramPath(a.window), ActionResult::Done};
        event.detail = a.said;
        recent_.Record(event);
        FollowPlace(a.slot, monitor, a.window);
    }
    activity_.Refresh();
}

void frmKVL::FollowPlace(int slot, const Monitor& monitor, WindowHandle window) {
    if (monitor.RememberPlace != 1 || CommandLineMode()) return;
    places_.Follow(slot, monitor.Description, window);
    tmrPlaces_.Enable(true);
}

// A place the user left a window at is kept at once, in the table and in its monitor's
// section, so that a KVL ended any way at all still has it.
void frmKVL::tmrPlaces_Timer() {
    Settings& settings = policy_.CurrentSettings();
    for (const PlaceFollower::Note& note : places_.Look(services_.desktop, settings.Monitors)) {
        settings.Monitors[static_cast<std::size_t>(note.slot)].RememberedPlace = note.place;
        WriteSetting(services_.store, MonitorSection(note.slot), "RememberedPlace", note.place);
    }
    if (!places_.Any()) tmrPlaces_.Enable(false);
}

}  // namespace kvl
