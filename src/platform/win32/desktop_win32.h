#pragma once
// The desktop on Win32: show commands, WM_CLOSE, captions, activation by title and typing
// with SendInput. Nothing here waits on a silent thread of another program for more than
// about a second, so a hung window cannot hang KVL.

#include <windows.h>

#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace kvl::win32 {

class Win32Desktop final : public Desktop {
public:
    bool Exists(WindowHandle window) override;
    bool IsVisible(WindowHandle window) override;
    bool IsEnabled(WindowHandle window) override;
    std::string Caption(WindowHandle window, std::size_t maxUnits) override;
    std::vector<WindowHandle> TopLevelWindows() override;
    void Show(WindowHandle window, int command) override;
    void PostClose(WindowHandle window) override;
    std::vector<Button> PushButtons(WindowHandle window) override;
    void PressButton(WindowHandle button) override;
    WindowHandle Activate(std::string_view title, WindowHandle preferred) override;
    bool IsInFront(WindowHandle window) override;
    Typing Inject(const KeySequence& keys, WindowHandle into) override;
    std::string ProgramPath(WindowHandle window) override;
    std::optional<std::uint32_t> IntegrityLevel(WindowHandle window) override;
    void Sleep(std::uint32_t milliseconds) override;
};

// The window Activate would bring to the front for `title`, or none.
HWND FindActivationTarget(std::string_view title, HWND preferred);

// The input events that type `keys` on `layout`: modifiers go down before the keys that need
// them and up after, and stay down only across the keys of one group. `capsLock` says
// whether Caps Lock is on, which turns the case of letters typed with their own keys.
std::vector<INPUT> KeyInputs(const KeySequence& keys, HKL layout, bool capsLock);

}  // namespace kvl::win32
