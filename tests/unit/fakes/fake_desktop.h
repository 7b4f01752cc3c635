#pragma once
// A desktop of made-up windows that records every call the program makes on it, in order.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/utf8.h"

namespace kvl::fakes {

class FakeDesktop final : public Desktop {
public:
    struct Window {
        std::string caption;
        bool visible = true;
        bool enabled = true;
        std::string program = "C:\\Apps\\app.exe";
        std::optional<std::uint32_t> integrity = 0x2000;  // medium, as the user's programs run
        std::vector<Button> buttons;  // its visible, enabled push buttons
        std::string windowClass = "AppWindow";
        WindowHandle modalDialog = 0;  // the dialog it waits on while disabled
        std::uint32_t pid = 7;
        bool ours = false;  // one of KVL's own windows
        WindowPlaceFacts place{{100, 100, 500, 400}, 1, true, 30};
        bool onTop = false;
        int opacity = 0;  // 0: not layered
    };

    enum class Op { Show, PostClose, BringForward, Inject, PressButton, Place };

    struct Call {
        Op op;
        WindowHandle window = 0;     // Show, PostClose, BringForward: the window; Inject: the one in front
        int command = 0;             // Show
        KeySequence keys;            // Inject
        ScreenRect rect;             // Place: the restored rectangle asked for
    };

    // A new top-level window in front of the others.
    WindowHandle AddWindow(std::string caption, bool visible = true, bool enabled = true) {
        const WindowHandle h = nextHandle_++;
        windows[h] = {std::move(caption), visible, enabled};
        zOrder.insert(zOrder.begin(), h);
        return h;
    }

    bool Exists(WindowHandle w) override { return windows.count(w) != 0; }
    bool IsVisible(WindowHandle w) override {
        auto it = windows.find(w);
        return it != windows.end() && it->second.visible;
    }
    bool IsEnabled(WindowHandle w) override {
        auto it = windows.find(w);
        return it != windows.end() && it->second.enabled;
    }
    std::string Caption(WindowHandle w, std::size_t maxUnits) override {
        auto it = windows.find(w);
        if (it == windows.end()) return {};
        const std::string& text = it->second.caption;
        std::size_t pos = 0, units = 0;
        while (pos < text.size()) {
            std::size_t next = pos;
            char32_t c = 0;
            utf8::Next(text, next, c);
            units += utf8::Utf16Units(c);
            if (units > maxUnits) break;
            pos = next;
        }
        return text.substr(0, pos);
    }
    std::vector<WindowHandle> TopLevelWindows() override { return zOrder; }

    bool Show(WindowHandle w, int command) override {
        calls.push_back({.op = Op::Show, .window = w, .command = command});
        auto it = windows.find(w);
        if (it == windows.end() || !showWorks) return false;
        it->second.visible = command != 0;
        return true;
    }
    bool PostClose(WindowHandle w) override {
        calls.push_back({.op = Op::PostClose, .window = w});
        return windows.count(w) != 0 && showWorks;
    }
    std::vector<Button> PushButtons(WindowHandle w) override {
        auto it = windows.find(w);
        return it == windows.end() ? std::vector<Button>{} : it->second.buttons;
    }
    bool PressButton(WindowHandle button) override {
        calls.push_back({.op = Op::PressButton, .window = button});
        return pressWorks;
    }

    WindowHandle ModalDialogOf(WindowHandle w) override {
        auto it = windows.find(w);
        if (it == windows.end() || it->second.enabled) return 0;
        const WindowHandle d = it->second.modalDialog;
        return IsVisible(d) && IsEnabled(d) ? d : 0;
    }
    bool KeysReach(WindowHandle w) override {
        for (int depth = 0; w && depth < 8; ++depth, w = ModalDialogOf(w))
            if (IsEnabled(w)) return w == foreground;
        return false;
    }
    // `activationWorks` false makes every activation fail, as when the system refuses to
    // change the foreground.
    bool BringForward(WindowHandle w) override {
        calls.push_back({.op = Op::BringForward, .window = w});
        if (activationWorks && windows.count(w)) {
            WindowHandle front = w;
            while (ModalDialogOf(front)) front = ModalDialogOf(front);
            foreground = front;
        }
        return KeysReach(w);
    }
    bool IsOwnWindow(WindowHandle w) override {
        auto it = windows.find(w);
        return it != windows.end() && it->second.ours;
    }
    std::uint32_t ProcessId(WindowHandle w) override {
        auto it = windows.find(w);
        return it == windows.end() ? 0 : it->second.pid;
    }
    // Each batch of `batch` strokes looks at the front first, as the real one does;
    // `stealFrontAfter` batches in, another window takes the front.
    Typing Inject(const KeySequence& keys, WindowHandle into) override {
        for (std::size_t from = 0; from < keys.size(); from += batch) {
            if (stealFrontAfter && batchesTyped == *stealFrontAfter) {
                foreground = 0xDEAD;
                stealFrontAfter.reset();
            }
            if (into && !KeysReach(into)) return Typing::NotInFront;
            const KeySequence part(keys.begin() + static_cast<std::ptrdiff_t>(from),
                                   keys.begin() + static_cast<std::ptrdiff_t>(std::min(keys.size(), from + batch)));
            calls.push_back({.op = Op::Inject, .window = foreground, .keys = part});
            ++batchesTyped;
        }
        return injectionWorks ? Typing::Typed : Typing::Refused;
    }
    std::string WindowClass(WindowHandle w) override {
        auto it = windows.find(w);
        return it == windows.end() ? std::string() : it->second.windowClass;
    }
    std::string ProgramPath(WindowHandle w) override {
        auto it = windows.find(w);
        return it == windows.end() ? std::string() : it->second.program;
    }
    std::optional<std::uint32_t> IntegrityLevel(WindowHandle w) override {
        if (w == 0) return ownIntegrity;
        auto it = windows.find(w);
        return it == windows.end() ? std::nullopt : it->second.integrity;
    }

    std::vector<DisplayInfo> Displays() override { return displays; }
    std::optional<WindowPlaceFacts> PlaceOf(WindowHandle w) override {
        auto it = windows.find(w);
        if (it == windows.end()) return std::nullopt;
        return it->second.place;
    }
    ScreenPoint PointerPosition() override { return pointer; }
    // As Windows does it: the window comes to the display that holds most of it.
    bool SetPlace(WindowHandle w, const ScreenRect& rect, bool resize) override {
        calls.push_back({.op = Op::Place, .window = w, .rect = rect});
        auto it = windows.find(w);
        if (it == windows.end() || !placeWorks) return false;
        WindowPlaceFacts& place = it->second.place;
        place.restored = resize ? rect
                                : ScreenRect{rect.left, rect.top, rect.left + place.restored.Width(),
                                             rect.top + place.restored.Height()};
        for (const DisplayInfo& d : displays)
            if (d.bounds.Contains({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2}))
                place.display = d.number;
        return true;
    }
    bool SetOnTop(WindowHandle w, bool on) override {
        auto it = windows.find(w);
        if (it == windows.end()) return false;
        it->second.onTop = on;
        return true;
    }
    bool SetOpacity(WindowHandle w, int percent) override {
        auto it = windows.find(w);
        if (it == windows.end()) return false;
        it->second.opacity = percent;
        return true;
    }

    std::vector<Call> CallsOf(Op op) const {
        std::vector<Call> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [op](const Call& c) { return c.op == op; });
        return out;
    }
    std::vector<Op> Ops() const {
        std::vector<Op> out;
        for (const Call& c : calls) out.push_back(c.op);
        return out;
    }
    // Every injected sequence, in order.
    std::vector<KeySequence> Typed() const {
        std::vector<KeySequence> out;
        for (const Call& c : calls)
            if (c.op == Op::Inject) out.push_back(c.keys);
        return out;
    }

    std::map<WindowHandle, Window> windows;
    std::vector<WindowHandle> zOrder;  // front first
    std::vector<Call> calls;
    WindowHandle foreground = 0;
    bool activationWorks = true;
    bool injectionWorks = true;  // false: the system takes the keys only in part
    bool pressWorks = true;
    bool showWorks = true;  // false: Windows takes no show command and no close
    std::optional<std::uint32_t> ownIntegrity = 0x2000;
    std::size_t batch = 1u << 20;                 // strokes per batch
    std::optional<std::size_t> stealFrontAfter;   // batches typed before another takes the front, once
    std::size_t batchesTyped = 0;
    // Two displays side by side: the primary 1920 x 1080 with a taskbar, then a smaller one
    // at twice the scale.
    std::vector<DisplayInfo> displays{
        {1, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96, true},
        {2, {1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, 192, false},
    };
    ScreenPoint pointer{10, 10};
    bool placeWorks = true;

private:
    WindowHandle nextHandle_ = 0x1000;
};

}  // namespace kvl::fakes
