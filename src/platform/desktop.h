#pragma once
// Port to the desktop: what the engine needs to read and change other programs' windows and
// to type into them. Nothing here may wait on another program for long: a hung window must
// never hang KVL.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/key_sequence.h"
#include "platform/screen_geometry.h"
#include "platform/window_handle.h"

namespace kvl {

class Desktop {
public:
    virtual ~Desktop() = default;

    // Whether the window is still there at all.
    virtual bool Exists(WindowHandle window) = 0;
    virtual bool IsVisible(WindowHandle window) = 0;
    virtual bool IsEnabled(WindowHandle window) = 0;
    // The window's title as it stands, whether or not the window is shown, cut to at most
    // `maxUnits` UTF-16 units (a character is never split in half).
    virtual std::string Caption(WindowHandle window, std::size_t maxUnits) = 0;
    // Top-level windows, front to back.
    virtual std::vector<WindowHandle> TopLevelWindows() = 0;

    // A show command (0 hide, 1 normal, 2 minimized, 3 maximized, ...). Returns at once for
    // windows of other threads.
    virtual void Show(WindowHandle window, int command) = 0;
    // Posts WM_CLOSE; never waits for the window.
    virtual void PostClose(WindowHandle window) = 0;

    // A push button among the window's descendants, visible and enabled, as its caption reads.
    struct Button {
        WindowHandle handle;
        std::string caption;
    };
    // Read without sending the window anything: a hung window cannot hold us.
    virtual std::vector<Button> PushButtons(WindowHandle window) = 0;
    // Presses the button as a click would, by a posted command to its parent: it works while
    // the window is not in front, and never waits for it. False when the button or its parent
    // was gone, or the command could not be posted.
    virtual bool PressButton(WindowHandle button) = 0;

    // Brings the window to the front, or the dialog of its own that it was last busy with
    // (a window disabled behind its modal dialog takes no keys). Whether the window, or a
    // window it owns, is in front now. Which window is meant is the caller's decision: this
    // never looks for another.
    virtual bool Activate(WindowHandle window) = 0;
    // Whether the window, or a window it owns (a dialog of its own), is in front.
    virtual bool IsInFront(WindowHandle window) = 0;

    enum class Typing {
        Typed,       // every stroke went in
        Refused,     // the system refused some of the input
        NotInFront,  // `into` was not in front before a batch: nothing more was typed
    };
    // Types the strokes into whichever window has the keyboard focus, a few at a time, and
    // returns once that window has dealt with them, however long that takes while it keeps
    // answering; a window that stops answering for about a second is no longer waited for.
    // Right before each batch goes out, `into` (unless none) must be in front: keys meant for
    // one window never go into another that took the front meanwhile. Input the system took
    // only in part is Refused, never Typed.
    virtual Typing Inject(const KeySequence& keys, WindowHandle into) = 0;

    // The window's class name; empty when the window is gone.
    virtual std::string WindowClass(WindowHandle window) = 0;
    // The full path of the program that owns the window; empty when it cannot be read.
    virtual std::string ProgramPath(WindowHandle window) = 0;
    // The mandatory integrity level of the process that owns the window (its relative id:
    // 0x2000 medium, 0x3000 high, 0x4000 system), or of this program itself for none.
    // Nothing when it cannot be read.
    virtual std::optional<std::uint32_t> IntegrityLevel(WindowHandle window) = 0;

    // Blocks the calling thread.
    virtual void Sleep(std::uint32_t milliseconds) = 0;

    // Placing windows. None of these waits on the window: a request to another program's
    // window is posted to it. A desktop that cannot place windows lists no display.
    // The displays as they are now, each with its work area and scale.
    virtual std::vector<DisplayInfo> Displays() { return {}; }
    // Where the window stands; nothing when it is gone.
    virtual std::optional<WindowPlaceFacts> PlaceOf(WindowHandle) { return std::nullopt; }
    virtual ScreenPoint PointerPosition() { return {}; }
    // Sets the window's restored rectangle (only its corner unless `resize`): a minimized or
    // maximized window keeps its state and comes back there. Onto a display of another scale
    // the size is set after the window has rescaled itself. False when refused or gone.
    virtual bool SetPlace(WindowHandle, const ScreenRect&, bool /*resize*/) { return false; }
    // Into the topmost layer (or out of it), without taking the front.
    virtual bool SetOnTop(WindowHandle, bool) { return false; }
    // Layered, at `percent` opacity (20 to 100).
    virtual bool SetOpacity(WindowHandle, int /*percent*/) { return false; }
};

}  // namespace kvl
