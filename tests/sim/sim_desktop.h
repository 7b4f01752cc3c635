#pragma once
// A desktop that works against the program: windows with owners, modeless pop-ups and modal
// dialogs that disable their owners, handles given again to new windows as soon as old ones
// go, activation the system may refuse, input it may take only in part, and a world that moves
// (other programs, the user) whenever the program hands control to it: while a window is
// brought forward, right after keys went in, after a show command or a close.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace kvl::sim {

struct SimWindow {
    std::string caption;
    std::string program;
    std::string windowClass;
    std::uint32_t pid = 0;
    bool visible = true;
    bool enabled = true;
    bool ours = false;  // one of KVL's own windows
    WindowHandle owner = 0;
    WindowHandle modal = 0;  // the modal dialog it waits on
    std::optional<std::uint32_t> integrity = 0x2000;
    std::vector<Desktop::Button> buttons;
    bool closeAsked = false;  // WM_CLOSE was posted to it
    ScreenRect place{100, 100, 500, 400};
};

class SimDesktop final : public Desktop {
public:
    enum class Act { Show, PostClose, BringForward, Inject, Press, Place };

    explicit SimDesktop(std::mt19937& rng) : rng_(rng) {}

    // The world may move now (it is handed control).
    std::function<void()> timePasses;
    // The program acts on a window; the checker looks at the world as it stands at this moment.
    std::function<void(Act, WindowHandle window, const KeySequence* keys)> onAct;

    bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }

    // The lowest free handle: a new window takes the handle of one just gone.
    WindowHandle NewHandle() const {
        WindowHandle h = 0x10;
        while (windows.count(h)) ++h;
        return h;
    }
    WindowHandle NewButton(WindowHandle top, std::string caption) {
        const WindowHandle b = nextButton_++;
        buttonOf[b] = top;
        windows[top].buttons.push_back({b, std::move(caption)});
        return b;
    }

    bool Exists(WindowHandle w) override { return windows.count(w) != 0; }
    bool IsVisible(WindowHandle w) override { return Exists(w) && windows[w].visible; }
    bool IsEnabled(WindowHandle w) override { return Exists(w) && windows[w].enabled; }
    std::string Caption(WindowHandle w, std::size_t maxUnits) override {
        return Exists(w) ? windows[w].caption.substr(0, maxUnits) : std::string();
    }
    std::vector<WindowHandle> TopLevelWindows() override {
        std::vector<WindowHandle> all;
        for (const auto& [h, w] : windows) all.push_back(h);
        return all;
    }

    bool Show(WindowHandle w, int command) override {
        if (onAct) onAct(Act::Show, w, nullptr);
        if (!Exists(w) || Shielded(w)) return false;
        windows[w].visible = command != 0;
        Move();
        return true;
    }
    bool PostClose(WindowHandle w) override {
        if (onAct) onAct(Act::PostClose, w, nullptr);
        if (!Exists(w) || Shielded(w)) return false;
        windows[w].closeAsked = true;
        Move();
        return true;
    }
    std::vector<Button> PushButtons(WindowHandle w) override {
        return Exists(w) ? windows[w].buttons : std::vector<Button>{};
    }
    bool PressButton(WindowHandle button) override {
        if (onAct) onAct(Act::Press, button, nullptr);
        const auto it = buttonOf.find(button);
        return it != buttonOf.end() && Exists(it->second);
    }

    WindowHandle ModalDialogOf(WindowHandle w) override {
        if (!Exists(w) || windows[w].enabled) return 0;
        const WindowHandle d = windows[w].modal;
        return IsVisible(d) && IsEnabled(d) ? d : 0;
    }
    bool KeysReach(WindowHandle w) override {
        for (int depth = 0; w && depth < 8; ++depth, w = ModalDialogOf(w))
            if (IsEnabled(w)) return w == foreground;
        return false;
    }
    bool BringForward(WindowHandle w) override {
        if (onAct) onAct(Act::BringForward, w, nullptr);
        Move();
        // The foreground lock: the system may keep the front where it is.
        if (Exists(w) && !Chance(15)) {
            WindowHandle front = w;
            while (ModalDialogOf(front)) front = ModalDialogOf(front);
            foreground = front;
        }
        Move();
        return KeysReach(w);
    }
    Typing Inject(const KeySequence& keys, WindowHandle into) override {
        if (into && !KeysReach(into)) return Typing::NotInFront;
        if (onAct) onAct(Act::Inject, into, &keys);
        ++batches;
        const bool partly = Chance(3);
        Move();  // the keys are in: the user may switch now, or the window change
        return partly ? Typing::Refused : Typing::Typed;
    }

    // Two displays, the second of another scale; a window stands where it was put.
    std::vector<DisplayInfo> Displays() override {
        return {{1, {0, 0, 1024, 768}, {0, 0, 1024, 728}, 96, true},
                {2, {1024, 0, 2624, 900}, {1024, 0, 2624, 900}, 144, false}};
    }
    std::optional<WindowPlaceFacts> PlaceOf(WindowHandle w) override {
        if (!Exists(w)) return std::nullopt;
        return WindowPlaceFacts{windows[w].place, windows[w].place.left >= 1024 ? 2 : 1, true, 30};
    }
    ScreenPoint PointerPosition() override { return {1500, 300}; }
    bool SetPlace(WindowHandle w, const ScreenRect& rect, bool) override {
        if (onAct) onAct(Act::Place, w, nullptr);
        if (!Exists(w) || Shielded(w)) return false;
        windows[w].place = rect;
        Move();
        return true;
    }
    bool SetOnTop(WindowHandle w, bool) override { return Placed(w); }
    bool SetOpacity(WindowHandle w, int) override { return Placed(w); }

    bool IsOwnWindow(WindowHandle w) override { return Exists(w) && windows[w].ours; }
    std::uint32_t ProcessId(WindowHandle w) override { return Exists(w) ? windows[w].pid : 0; }
    std::string WindowClass(WindowHandle w) override {
        return Exists(w) ? windows[w].windowClass : std::string();
    }
    std::string ProgramPath(WindowHandle w) override {
        return Exists(w) ? windows[w].program : std::string();
    }
    std::optional<std::uint32_t> IntegrityLevel(WindowHandle w) override {
        if (w == 0) return 0x2000;
        return Exists(w) ? windows[w].integrity : std::nullopt;
    }

    std::map<WindowHandle, SimWindow> windows;
    std::map<WindowHandle, WindowHandle> buttonOf;  // button -> its top-level window
    WindowHandle foreground = 0;
    std::uint64_t batches = 0;

private:
    // Windows keeps a program's messages from reaching one of higher rights.
    bool Shielded(WindowHandle w) { return windows[w].integrity && *windows[w].integrity > 0x2000; }
    bool Placed(WindowHandle w) {
        if (onAct) onAct(Act::Place, w, nullptr);
        return Exists(w) && !Shielded(w);
    }
    void Move() {
        if (timePasses && Chance(35)) timePasses();
    }

    std::mt19937& rng_;
    WindowHandle nextButton_ = 0x10000;
};

}  // namespace kvl::sim
