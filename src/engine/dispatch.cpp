#include "engine/dispatch.h"

#include <algorithm>
#include <string>
#include <utility>

#include "cmdline/command_line.h"
#include "engine/keystroke_step.h"
#include "engine/window_actions.h"
#include "platform/shell.h"

namespace kvl {

void RegisterWatches(SettingsStore& store, const Settings& settings, WindowWatcher& watcher,
                     bool monitoringDisabled) {
    SaveSettings(store, settings);
    watcher.ClearWatches();
    // Disabled and not-yet-dropped deleted monitors are registered too: identifiers must
    // stay equal to slots, and the dispatch skips disabled ones itself.
    const int count = MonitorCount(settings.Monitors);
    for (int slot = 0; slot < count; ++slot) {
        const Monitor& m = settings.Monitors[static_cast<std::size_t>(slot)];
        watcher.AddWatch(m.Caption, m.ExactMatch == 1);
    }
    watcher.MonitorStrength(monitoringDisabled ? 0 : SelectedStrengthLevel(settings.Strength));
}

void ApplyMonitor(const Monitor& monitor, WindowHandle window, Desktop& desktop) {
    if (!monitor.WindowState.empty()) SetWindowState(desktop, window, monitor.WindowState);
    for (std::size_t step = 0; step < 3; ++step) {
        if (monitor.SendKeys[step].empty()) continue;
        RunKeystrokeStep(desktop, monitor.Caption, monitor.SendKeys[step],
                         monitor.SendKeysPause[step], window);
    }
}

bool MonitorWindowOpen(const MonitorTable& table, TriggerRecord& record, int watchId,
                       WindowHandle window, const LocalTime& now, Desktop& desktop) {
    if (watchId < 0 || watchId >= kTableSlots) return false;
    // A copy: keystroke steps wait, and the table must not change under them.
    const Monitor monitor = table[static_cast<std::size_t>(watchId)];
    if (monitor.Disable == 1) return false;
    if (IsRepeat(record, window, now)) return false;
    RecordTrigger(record, window, now);
    ApplyMonitor(monitor, window, desktop);
    return true;
}

int CommandLineWindowOpen(std::string_view commandLine, WindowHandle window, Desktop& desktop,
                          Shell& shell) {
    // Switches are matched as written, in small letters; the first present in this order wins.
    static constexpr std::pair<std::string_view, std::string_view> kActions[] = {
        {"/close", "close"}, {"/hide", "hide"}, {"/min", "minimize"},
        {"/max", "maximize"}, {"/restore", "restore"}};
    const auto* action = std::find_if(std::begin(kActions), std::end(kActions), [&](const auto& a) {
        return commandLine.find(a.first) != std::string_view::npos;
    });
    bool nothingDone = action == std::end(kActions);
    if (!nothingDone) SetWindowState(desktop, window, action->second);

    const auto at = commandLine.find("/sendkeys");
    if (at != std::string_view::npos) {
        // Only a text in brackets is typed: without "[" or "]" there is nothing to cut, and
        // typing a piece of the command line itself into the window would be wrong.
        std::string keys;
        const auto open = commandLine.find('[', at);
        if (open != std::string_view::npos) {
            const auto close = commandLine.find(']', open + 1);
            if (close != std::string_view::npos)
                keys = std::string(commandLine.substr(open + 1, close - open - 1));
        }
        RunKeystrokeStep(desktop, WindowCaption(desktop, window), keys, 0, window);
        nothingDone = false;
    }

    if (!nothingDone) return kExitActed;
    shell.MessageBox(
        "I found your window but you didn't instruct me to do anything meaningful once I "
        "found it. " + CommandLineReference(),
        "KVL");
    return kExitNothingAsked;
}

}  // namespace kvl
