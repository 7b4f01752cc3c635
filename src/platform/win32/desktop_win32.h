#pragma once
// The desktop on Win32: show commands, WM_CLOSE, captions, bringing a window forward and typing
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
    bool Show(WindowHandle window, int command) override;
    bool PostClose(WindowHandle window) override;
    std::vector<Button> PushButtons(WindowHandle window) override;
    bool PressButton(WindowHandle button) override;
    WindowHandle ModalDialogOf(WindowHandle window) override;
    bool KeysReach(WindowHandle window) override;
    bool BringForward(WindowHandle window) override;
    Typing Inject(const KeySequence& keys, WindowHandle into) override;
    bool IsOwnWindow(WindowHandle window) override;
    std::uint32_t ProcessId(WindowHandle window) override;
    std::string WindowClass(WindowHandle window) override;
    std::string ProgramPath(WindowHandle window) override;
    std::optional<std::uint32_t> IntegrityLevel(WindowHandle window) override;
    // Placing windows (placement_win32.cpp).
    std::vector<DisplayInfo> Displays() override;
    std::optional<WindowPlaceFacts> PlaceOf(WindowHandle window) override;
    ScreenPoint PointerPosition() override;
    bool SetPlace(WindowHandle window, const ScreenRect& restored, bool resize) override;
    bool SetOnTop(WindowHandle window, bool onTop) override;
    bool SetOpacity(WindowHandle window, int percent) override;
};

}  // namespace kvl::win32
