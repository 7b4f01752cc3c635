// The promise "never the wrong window", checked after every step of generated schedules: other
// programs and the user move windows, owners, dialogs and the front at any moment of a run,
// while the user edits, deletes and disables monitors, opens KVL's menus and ends it. Each
// schedule is made from one number, and a broken promise prints that number and the whole
// schedule:
//   kvl_simulation                  the schedules make test runs
//   kvl_simulation --seconds 45     as many more as fit
//   KVL_SIM_SEED=1234 kvl_simulation   that one schedule again, its trace printed

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window_policy.h"
#include "app/reported_windows.h"
#include "engine/dispatch.h"
#include "engine/watch_condition.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_pause_timer.h"
#include "fakes/fake_watcher.h"
#include "fakes/memory_store.h"
#include "sim_desktop.h"

namespace kvl::sim {
namespace {

struct Broken : std::exception {
    explicit Broken(std::string why) : what(std::move(why)) {}
    std::string what;
};

const char* const kCaptions[] = {"Delete 3 files?", "Delete 3000 files?", "Save changes?",
                                 "Untitled - Notepad", "Find",           "Setup - Product",
                                 "Tip of the day",     "KVL",            "Error"};
const char* const kPrograms[] = {"C:\\Windows\\notepad.exe", "C:\\Apps\\writer.exe",
                                 "C:\\Setup\\setup.exe"};
const char* const kClasses[] = {"#32770", "Notepad", "AppWindow"};
const char* const kKeys[] = {"abc", "{ENTER}", "%n", "{SHIFT}", "", "{x 20}", "y{TAB}z"};
const char* const kButtons[] = {"&Yes", "&No", "OK", "Cancel"};
const char* const kStates[] = {"", "", "hide", "maximize", "minimize", "restore", "close"};

std::string Hex(WindowHandle h) {
    char text[24];
    std::snprintf(text, sizeof text, "#%llx", static_cast<unsigned long long>(h));
    return text;
}

class Simulation {
public:
    explicit Simulation(std::uint32_t number) : number_(number), rng_(number), desktop_(rng_) {
        desktop_.timePasses = [this] { WorldMoves(true); };
        desktop_.onAct = [this](SimDesktop::Act act, WindowHandle w, const KeySequence* keys) {
            Check(act, w, keys);
        };
        reported_.MayAct([this] { return !held_; });
        reported_.onFinished = [this](const ActivityEvent& e, int, const Monitor&, WindowHandle) {
            Entry(e);
        };
        policy_.onMonitoringStopped = [this](ActionResult why) { reported_.MonitoringStopped(why); };
        policy_.onMonitorDeleted = [this](int slot) { reported_.MonitorDeleted(slot); };
        watcher_.OnWindowOpen([this](int id, WindowHandle w) {
            if (!exited_) reported_.WindowOpen(policy_.CurrentSettings().Monitors, id, w);
        });
    }

    // The schedule; throws Broken when a promise breaks.
    void Run() {
        for (int k = Pick(2, 5); k > 0; --k) StoreMonitor(MonitorCount(Table()));
        policy_.Start();
        started_ = true;
        for (int k = Pick(2, 4); k > 0; --k) OpenWindow();
        for (int step = 0; step < 120 && !exited_; ++step) {
            const int roll = Pick(0, 99);
            if (roll < 45) WorldMoves(false);
            else if (roll < 80) TimePasses();
            else KvlMoves();
            CheckAfterStep();
        }
        Settle();
    }

    const std::vector<std::string>& Trace() const { return trace_; }
    std::uint64_t Runs() const { return reported_.Queue().RunsStarted(); }
    std::uint64_t Batches() const { return desktop_.batches; }

private:
    int Pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(rng_); }
    template <std::size_t N>
    const char* Any(const char* const (&list)[N]) {
        return list[Pick(0, static_cast<int>(N) - 1)];
    }
    void Say(std::string line) { trace_.push_back(std::move(line)); }
    void Require(bool holds, const std::string& promise) {
        if (!holds) throw Broken(promise);
    }
    MonitorTable& Table() { return policy_.CurrentSettings().Monitors; }

    // ---- the monitors -------------------------------------------------------------------

    void StoreMonitor(int slot) {
        if (slot >= kStoredSlots) return;
        Monitor m;
        m.Description = "m" + std::to_string(++monitorsMade_);
        const int kind = Pick(0, 3);
        m.Caption = kind == 3 ? "^(delete 3|save) .*\\?$" : Any(kCaptions);
        if (kind == 1) m.Caption = m.Caption.substr(0, 6);
        m.CaptionPattern = kind == 3;
        m.ExactMatch = kind == 0;
        if (Pick(0, 3) == 0) {
            const std::string path = Any(kPrograms);
            m.Program = path.substr(path.rfind('\\') + 1);
        }
        if (Pick(0, 4) == 0) m.WindowClass = Any(kClasses);
        m.WindowState = Any(kStates);
        for (int k = 0; k < 3; ++k) {
            if (Pick(0, 2) == 0) continue;
            m.SendKeys[static_cast<std::size_t>(k)] = Any(kKeys);
            m.SendKeysPause[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(Pick(0, 2));
        }
        if (Pick(0, 2) == 0) m.PressButton = Any(kButtons);
        if (Pick(0, 2) == 0) {
            m.Position = Pick(0, 1) ? "center,center" : "10%,40";
            if (Pick(0, 1)) m.Size = "400,300";
            m.Display = Pick(0, 1) ? "2" : "";
            m.OnTop = static_cast<std::int16_t>(Pick(0, 1));
            m.Opacity = static_cast<std::int16_t>(Pick(0, 1) ? 80 : 0);
        }
        Say("monitor " + std::to_string(slot) + " " + m.Description + ": caption \"" + m.Caption +
            "\" " + (m.CaptionPattern ? "pattern" : m.ExactMatch ? "exact" : "partial") +
            (m.Program.empty() ? "" : " program " + m.Program) +
            (m.WindowClass.empty() ? "" : " class " + m.WindowClass) + " state \"" +
            m.WindowState + "\" keys \"" + m.SendKeys[0] + "\" \"" + m.SendKeys[1] + "\" \"" +
            m.SendKeys[2] + "\" button \"" + m.PressButton + "\"" +
            (m.Position.empty() && m.Display.empty() && !m.OnTop && !m.Opacity ? "" : " placed"));
        Table()[static_cast<std::size_t>(slot)] = std::move(m);
        if (policy_.EditorOpen() || started_) policy_.RefreshMe();
        if (!started_) SaveSettings(store_, policy_.CurrentSettings());
    }

    // ---- the world: other programs and the user ------------------------------------------

    void OpenWindow() {
        const WindowHandle h = desktop_.NewHandle();
        SimWindow w;
        w.caption = Any(kCaptions);
        const int program = Pick(0, 2);
        w.program = kPrograms[program];
        w.pid = static_cast<std::uint32_t>(100 + program + 10 * Pick(0, 1));
        w.windowClass = Any(kClasses);
        w.visible = Pick(0, 5) != 0;
        w.ours = Pick(0, 9) == 0;
        if (w.ours) w.program = "C:\\Tools\\KVL.exe", w.pid = 1;
        if (Pick(0, 15) == 0) w.integrity = 0x3000;
        std::string how;
        std::vector<WindowHandle> owners;
        for (const auto& [other, ow] : desktop_.windows)
            if (ow.enabled && ow.visible && ow.ours == w.ours) owners.push_back(other);
        if (!owners.empty() && Pick(0, 2) == 0) {
            w.owner = owners[static_cast<std::size_t>(Pick(0, static_cast<int>(owners.size()) - 1))];
            if (Pick(0, 1) == 0) {
                desktop_.windows[w.owner].enabled = false;
                desktop_.windows[w.owner].modal = h;
                how = " modal for " + Hex(w.owner);
            } else {
                how = " owned by " + Hex(w.owner);
            }
        }
        desktop_.windows[h] = w;
        if (Pick(0, 1) == 0) {
            desktop_.NewButton(h, Any(kButtons));
            desktop_.NewButton(h, Any(kButtons));
        }
        Say("open " + Hex(h) + " \"" + w.caption + "\" " + w.program + " " + w.windowClass +
            (w.visible ? "" : " hidden") + (w.ours ? " (KVL's own)" : "") +
            (w.integrity != 0x2000 ? " higher rights" : "") + how);
        if (w.visible && Pick(0, 1) == 0) desktop_.foreground = h;
        Changed(h);
    }

    void CloseWindow(WindowHandle h) {
        if (!desktop_.Exists(h)) return;
        Say("close " + Hex(h));
        const SimWindow gone = desktop_.windows[h];
        desktop_.windows.erase(h);
        for (const auto& button : gone.buttons) desktop_.buttonOf.erase(button.handle);
        matching_.erase(h);
        if (desktop_.foreground == h) desktop_.foreground = gone.owner;
        if (desktop_.Exists(gone.owner) && desktop_.windows[gone.owner].modal == h) {
            desktop_.windows[gone.owner].modal = 0;
            desktop_.windows[gone.owner].enabled = true;
        }
        std::vector<WindowHandle> owned;
        for (const auto& [other, w] : desktop_.windows)
            if (w.owner == h) owned.push_back(other);
        for (WindowHandle o : owned) CloseWindow(o);
    }

    WindowHandle AnyWindow(bool oursToo = true) {
        std::vector<WindowHandle> all;
        for (const auto& [h, w] : desktop_.windows)
            if (oursToo || !w.ours) all.push_back(h);
        return all.empty() ? 0 : all[static_cast<std::size_t>(Pick(0, static_cast<int>(all.size()) - 1))];
    }

    // One move of another program or of the user. `meanwhile`: while KVL waits on a call.
    void WorldMoves(bool meanwhile) {
        if (meanwhile) Say("  meanwhile:");
        for (auto& [h, w] : desktop_.windows) {
            if (!w.closeAsked) continue;
            w.closeAsked = false;
            // Asked to close, a window goes, or first asks whether to save.
            if (Pick(0, 1) == 0) {
                CloseWindow(h);
            } else {
                const WindowHandle d = desktop_.NewHandle();
                SimWindow ask{"Save changes?", w.program, "#32770", w.pid};
                ask.owner = h;
                desktop_.windows[h].enabled = false;
                desktop_.windows[h].modal = d;
                desktop_.windows[d] = ask;
                desktop_.NewButton(d, "&Yes");
                desktop_.NewButton(d, "&No");
                desktop_.foreground = d;
                Say("  " + Hex(h) + " asks " + Hex(d) + " \"Save changes?\" (modal)");
                Changed(d);
            }
            return;
        }
        const WindowHandle h = AnyWindow();
        const int move = Pick(0, 9);
        if (move == 0 || !h) return OpenWindow();
        SimWindow& w = desktop_.windows[h];
        switch (move) {
            case 1: return CloseWindow(h);
            case 2:
                w.visible = !w.visible;
                Say((w.visible ? "show " : "hide ") + Hex(h));
                break;
            case 3:
            case 4:
                w.caption = Any(kCaptions);
                Say("rename " + Hex(h) + " \"" + w.caption + "\"");
                break;
            case 5:
                if (w.modal) break;  // a window waiting on its dialog stays disabled
                w.enabled = !w.enabled;
                Say((w.enabled ? "enable " : "disable ") + Hex(h));
                break;
            case 6: {
                const WindowHandle to = AnyWindow();
                if (to == h || w.modal) break;
                for (WindowHandle up = to; up; up = desktop_.windows[up].owner)
                    if (up == h) return;  // no owner loops
                if (desktop_.Exists(w.owner) && desktop_.windows[w.owner].modal == h) break;
                w.owner = Pick(0, 1) ? to : 0;
                Say("owner of " + Hex(h) + " now " + Hex(w.owner));
                break;
            }
            default: {
                // The user clicks a window: one waiting on its dialog gives the dialog the front.
                WindowHandle front = h;
                while (desktop_.ModalDialogOf(front)) front = desktop_.ModalDialogOf(front);
                if (!desktop_.IsVisible(front)) return;
                desktop_.foreground = front;
                Say("user takes the front: " + Hex(front));
                return;
            }
        }
        Changed(h);
    }

    // The watcher reports a window that starts to match a watch, as the real one does; at
    // times it reports one twice.
    void Changed(WindowHandle h) {
        if (!desktop_.Exists(h) || watcher_.level == 0) return;
        const SimWindow& w = desktop_.windows[h];
        if (compiledClears_ != watcher_.clears) {
            compiledClears_ = watcher_.clears;
            compiled_.clear();
        }
        while (compiled_.size() < watcher_.watches.size())
            compiled_.emplace_back(watcher_.watches[compiled_.size()]);
        const WindowView view{h, w.visible, w.caption, w.windowClass, w.program};
        std::set<int> now;
        for (std::size_t id = 0; id < compiled_.size(); ++id) {
            FoldedWindow folded(view);
            if (view.eligible && compiled_[id].Matches(folded)) now.insert(static_cast<int>(id));
        }
        const std::set<int> before = std::exchange(matching_[h], now);
        // A report may act at once, and the world moves while it does.
        for (int id : now)
            if (!before.count(id) || Pick(0, 20) == 0) {
                Say("watcher reports " + Hex(h) + " for watch " + std::to_string(id));
                watcher_.Open(id, h);
            }
    }

    void TimePasses() {
        clock_.now.minute += Pick(0, 2);
        if (clock_.now.minute >= 60) clock_.now.minute -= 60, ++clock_.now.hour;
        if (!timer_.pending) return WorldMoves(false);
        Say("timer rings after " + std::to_string(*timer_.pending) + " ms");
        timer_.pending.reset();
        reported_.PauseEnded();
    }

    // ---- KVL's own user -------------------------------------------------------------------

    void KvlMoves() {
        const int count = MonitorCount(Table());
        switch (Pick(0, 9)) {
            case 0:
                Say(std::string("Disable All Monitoring ") + (disableAll_ ? "unticked" : "ticked"));
                Stopping(disableAll_ ? std::nullopt : std::optional(ActionResult::StoppedMonitoringOff), -1);
                disableAll_ = !disableAll_;
                policy_.SetMonitoringDisabled(disableAll_);
                return Stopped();
            case 1:
                if (policy_.EditorOpen()) {
                    Say("the editor closes");
                    policy_.ResumeWatching();
                    return;
                }
                Say("the editor opens");
                Stopping(ActionResult::StoppedEditing, -1);
                policy_.PauseWatching();
                return Stopped();
            case 2:
                if (!policy_.EditorOpen()) return;
                if (count > 0 && Pick(0, 1)) {
                    const int slot = Pick(0, count - 1);
                    Monitor& m = Table()[static_cast<std::size_t>(slot)];
                    m.Disable = static_cast<std::int16_t>(1 - m.Disable);
                    m.Caption = Pick(0, 1) ? m.Caption : Any(kCaptions);
                    Say("the editor changes monitor " + std::to_string(slot) + " " + m.Description +
                        ": caption \"" + m.Caption + "\"" + (m.Disable ? " disabled" : " enabled"));
                    policy_.RefreshMe();
                } else {
                    StoreMonitor(count);
                }
                Say("Apply");
                policy_.RegisterWatches();
                return;
            case 3: {
                if (count == 0) return;
                const int slot = Pick(0, count - 1);
                Say("delete monitor " + std::to_string(slot) + " " +
                    Table()[static_cast<std::size_t>(slot)].Description);
                Stopping(ActionResult::StoppedDeleted, slot);
                policy_.DeleteMonitor(slot);
                return Stopped();
            }
            case 4:
            case 5:
                held_ = !held_;
                Say(held_ ? "a menu of KVL's opens" : "the menu closes");
                if (held_ && Pick(0, 1)) {
                    for (const auto& [h, w] : desktop_.windows)
                        if (w.ours && w.visible) desktop_.foreground = h;
                }
                return;
            case 6:
                if (Pick(0, 3)) return;
                Say("Exit");
                Stopping(ActionResult::StoppedExit, -1);
                exited_ = true;
                reported_.Stop();
                policy_.Exit();
                return Stopped();
            case 7:
                Say("OK in the main window");
                policy_.Accept();
                return;
            default: {
                // The watcher reports a window again (a second watch, a flicker).
                const WindowHandle h = AnyWindow();
                if (!h || matching_[h].empty() || watcher_.level == 0) return WorldMoves(false);
                const int id = *matching_[h].begin();
                Say("watcher reports " + Hex(h) + " again for watch " + std::to_string(id));
                watcher_.Open(id, h);
                return;
            }
        }
    }

    // A stop is coming: the run under way (of `slot`, or any) must end in an entry that says why.
    void Stopping(std::optional<ActionResult> why, int slot) {
        expectStop_.reset();
        const auto running = reported_.Queue().Running();
        if (!why || !running || (slot >= 0 && running->slot != slot)) return;
        expectStop_ = {running->number, *why};
    }
    void Stopped() {
        if (!expectStop_) return;
        const auto running = reported_.Queue().Running();
        Require(!running || running->number != expectStop_->first,
                "a stopped run went on after the stop");
        // Runs end in the order they start: the n-th entry is the n-th run's.
        Require(results_.size() >= expectStop_->first, "a stopped run ended in no Recent Activity entry");
        Require(results_[expectStop_->first - 1] == expectStop_->second,
                "a stopped run's entry does not say it was stopped, and why");
        expectStop_.reset();
    }

    // ---- the promises ---------------------------------------------------------------------

    bool Matches(WindowHandle h, const Watch& condition, bool shown) {
        if (!desktop_.Exists(h)) return false;
        const SimWindow& w = desktop_.windows[h];
        return StillMatches(condition, {h, w.visible || !shown, w.caption, w.windowClass, w.program});
    }

    // The window that takes the target's input: the target, or the modal dialogs it waits on.
    WindowHandle InputWindow(WindowHandle h) {
        for (int depth = 0; depth < 8 && desktop_.Exists(h); ++depth) {
            const SimWindow& w = desktop_.windows[h];
            if (w.enabled) return h;
            if (!w.modal || !desktop_.IsVisible(w.modal)) return 0;
            h = w.modal;
        }
        return 0;
    }

    void Check(SimDesktop::Act act, WindowHandle window, const KeySequence* keys) {
        static const char* const kActs[] = {"shows", "closes", "brings forward", "types into",
                                            "presses button", "places"};
        Say("  KVL " + std::string(kActs[static_cast<int>(act)]) + " " + Hex(window) +
            (keys ? " " + std::to_string(keys->size()) + " keys" : "") + " (front " +
            Hex(desktop_.foreground) + ")");
        Require(!exited_, "KVL acted after it ended");
        Require(!held_, "KVL acted while its own menu or message box was open");
        Require(!policy_.EditorOpen(), "KVL acted while the editor was open");
        Require(!disableAll_, "KVL acted while Disable All Monitoring was ticked");
        const auto running = reported_.Queue().Running();
        Require(running.has_value(), "KVL acted outside any run");
        const int slot = running->slot;
        Require(slot >= 0 && slot < MonitorCount(Table()), "KVL acted for a deleted monitor");
        const Monitor& monitor = Table()[static_cast<std::size_t>(slot)];
        Require(monitor.Disable != 1, "KVL acted for a disabled monitor");
        Require(WatchOf(monitor) == running->target.condition,
                "KVL acted with another monitor than the one the window was found for");
        const WindowHandle target = running->target.window;
        Require(desktop_.Exists(target) && !desktop_.windows[target].ours,
                "KVL acted on a window of its own");
        if (act == SimDesktop::Act::Press) {
            const auto owner = desktop_.buttonOf.find(window);
            Require(owner != desktop_.buttonOf.end(), "KVL pressed a button that is no longer there");
            Require(Matches(target, running->target.condition, monitor.WindowState != "hide" &&
                                                                   monitor.WindowState != "Hide"),
                    "KVL pressed a button in a window that no longer matches");
            Require(owner->second == InputWindow(target),
                    "KVL pressed a button where no click could reach it");
            return;
        }
        Require(window == target, "KVL acted on another window than its run's");
        Require(Matches(target, running->target.condition, true),
                "KVL acted on a window that no longer matches its monitor");
        if (act == SimDesktop::Act::BringForward) {
            Require(++forwards_[running->number] == 1, "a run brought its window forward twice");
        } else if (act == SimDesktop::Act::Inject) {
            Require(desktop_.foreground != 0 && desktop_.foreground == InputWindow(target),
                    "keys went in while neither the run's window nor the dialog it waits on "
                    "was in front");
        }
    }

    void Entry(const ActivityEvent& e) {
        ++entries_;
        results_.push_back(e.result);
        Say("  entry: " + e.description + " " + ResultText(e.result) + (e.triggered ? " (flash)" : ""));
        Require(entries_ <= reported_.Queue().RunsStarted(), "more Recent Activity entries than runs");
        if (e.triggered) lastFlashAt_ = e.at;
        Require(reported_.Triggers().LastTriggerTime == lastFlashAt_,
                "\"Last triggered\" does not name the last run the icon flashed for");
    }

    void CheckAfterStep() {
        Require(entries_ + (reported_.Queue().Running() ? 1 : 0) == reported_.Queue().RunsStarted(),
                "a run ended without its one Recent Activity entry");
    }

    // Everything held back is let go, and every run must end in its entry.
    void Settle() {
        held_ = false;
        if (policy_.EditorOpen()) policy_.ResumeWatching();
        for (int k = 0; k < 10000 && timer_.pending; ++k) {
            timer_.pending.reset();
            reported_.PauseEnded();
        }
        Require(reported_.Queue().Idle(), "runs still waiting after everything was let go");
        CheckAfterStep();
    }

    std::uint32_t number_;
    std::mt19937 rng_;
    std::vector<std::string> trace_;
    SimDesktop desktop_;
    fakes::MemoryStore store_;
    fakes::FakeWatcher watcher_;
    fakes::FakeClock clock_;
    fakes::FakePauseTimer timer_;
    MainWindowPolicy policy_{store_, watcher_, false};
    ReportedWindows reported_{desktop_, clock_, timer_};
    std::map<WindowHandle, std::set<int>> matching_;
    std::vector<WatchCondition> compiled_;  // the watcher's watches, as it compares them
    int compiledClears_ = -1;
    std::map<std::uint64_t, int> forwards_;  // bringings forward per run
    bool started_ = false;
    bool held_ = false;
    bool disableAll_ = false;
    bool exited_ = false;
    int monitorsMade_ = 0;
    std::uint64_t entries_ = 0;
    std::vector<ActionResult> results_;  // of each entry, in order
    std::optional<LocalTime> lastFlashAt_;
    std::optional<std::pair<std::uint64_t, ActionResult>> expectStop_;
};

bool RunOne(std::uint32_t number, bool printTrace, std::uint64_t& runs, std::uint64_t& batches) {
    Simulation simulation(number);
    try {
        simulation.Run();
    } catch (const Broken& broken) {
        std::printf("simulation: broken promise: %s\n", broken.what.c_str());
        std::printf("replay: KVL_SIM_SEED=%u\nschedule:\n", number);
        for (const std::string& line : simulation.Trace()) std::printf("  %s\n", line.c_str());
        std::printf("simulation: broken promise: %s (KVL_SIM_SEED=%u)\n", broken.what.c_str(), number);
        return false;
    }
    if (printTrace)
        for (const std::string& line : simulation.Trace()) std::printf("  %s\n", line.c_str());
    runs += simulation.Runs();
    batches += simulation.Batches();
    return true;
}

}  // namespace
}  // namespace kvl::sim

int main(int argc, char** argv) {
    std::uint64_t runs = 0, batches = 0;
    if (const char* one = std::getenv("KVL_SIM_SEED")) {
        const auto number = static_cast<std::uint32_t>(std::strtoul(one, nullptr, 10));
        return kvl::sim::RunOne(number, true, runs, batches) ? 0 : 1;
    }
    long schedules = 2000;
    double seconds = 0;
    for (int k = 1; k + 1 < argc; k += 2) {
        const std::string option = argv[k];
        if (option == "--schedules") schedules = std::strtol(argv[k + 1], nullptr, 10);
        if (option == "--seconds") seconds = std::strtod(argv[k + 1], nullptr);
    }
    // A soak starts at a number of its own, so that it tries schedules make test does not.
    std::uint32_t first = 1;
    if (seconds > 0) first = std::random_device{}();
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long done = 0;
    for (std::uint32_t number = first;; ++number) {
        if (seconds > 0 ? std::chrono::steady_clock::now() >= until && done > 0 : done >= schedules)
            break;
        if (!kvl::sim::RunOne(number, false, runs, batches)) return 1;
        ++done;
    }
    std::printf("simulation: %ld schedules, %llu runs, %llu batches of keys: every promise held\n",
                done, static_cast<unsigned long long>(runs), static_cast<unsigned long long>(batches));
    std::printf("%ld passed, 0 failed\n", done);
    return 0;
}
