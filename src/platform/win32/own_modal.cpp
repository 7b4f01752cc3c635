#include "platform/win32/own_modal.h"

#include <windows.h>

namespace kvl::win32 {

bool InModalLoop() {
    if (OwnModalLoop::Running()) return true;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info)) return false;
    constexpr DWORD kModal = GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE | GUI_INMOVESIZE;
    return (info.flags & kModal) != 0 || info.hwndMenuOwner != nullptr;
}

}  // namespace kvl::win32
