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
    // windows of other threads. False when Windows would not take the command (the window is
    // gone, or of a program it shields from ours).
    virtual bool Show(WindowHandle window, int command) = 0;
    // Posts WM_CLOSE; never waits for the window. False when the message could not be posted.
    virtual bool PostClose(WindowHandle window) = 0;

    // A push button among the window's own descendants (never those of the windows it owns),
    // visible and enabled, as its caption reads.
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

    // The dialog a disabled window waits on: the visible, enabled pop-up of its own it was
    // last busy with. None for an enabled window: a modeless pop-up of a window that takes
    // input is a window of its own, not a stand-in for it.
    virtual WindowHandle ModalDialogOf(WindowHandle window) = 0;
    // Whether keys typed now reach the window: it takes input and is the window in front, or
    // it is disabled and the window in front is the modal dialog it waits on (or the one that
    // dialog waits on). A pop-up of its own in front of an enabled window does not count.
    virtual bool KeysReach(WindowHandle window) = 0;
    // Brings the window to the front; a disabled one, the modal dialog it waits on, since only
    // that takes input. Whether its keys reach it now (KeysReach). Which window is meant is
    // the caller's decision: this never looks for another.
    virtual bool BringForward(WindowHandle window) = 0;

    enum class Typing {
        Typed,       // every stroke went in
        Refused,     // the system refused some of the input
        NotInFront,  // `into` was not in front before a batch: nothing more was typed
    };
    // Types the strokes into whichever window has the keyboard focus, a few at a time, and
    // returns once that window has dealt with them, however long that takes while it keeps
    // answering; a window that stops answering for about a second is no longer waited for.
    // Right before each batch goes out, keys must reach `into` (unless none; KeysReach): keys
    // meant for one window never go into another that took the front meanwhile. Input the system took
    // only in part is Refused, never Typed.
    virtual Typing Inject(const KeySequence& keys, WindowHandle into) = 0;

    // Whether the window is one of this program's own.
    virtual bool IsOwnWindow(WindowHandle window) = 0;
    // The process that owns the window; 0 when it is gone. A handle the system gives again to
    // a new window may belong to another process: this tells them apart.
    virtual std::uint32_t ProcessId(WindowHandle window) = 0;
    // The window's class name; empty when the window is gone.
    virtual std::string WindowClass(WindowHandle window) = 0;
    // The full path of the program that owns the window; empty when it cannot be read.
    virtual std::string ProgramPath(WindowHandle window) = 0;
    // The mandatory integrity level of the process that owns the window (its relative id:
    // 0x2000 medium, 0x3000 high, 0x4000 system), or of this program itself for none.
    // Nothing when it cannot be read.
    virtual std::optional<std::uint32_t> IntegrityLevel(WindowHandle window) = 0;

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
