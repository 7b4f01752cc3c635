#pragma once
// A check box, two- or three-state.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

class CheckBox : public Control {
public:
    // kind BS_3STATE: the box also shows greyed (2), and its owner decides what a click does.
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD kind = BS_AUTOCHECKBOX) {
        return CreateControl(parent, id, L"BUTTON", text, WS_TABSTOP | kind, at);
    }
    bool Value() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetValue(bool on) { SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    // 0 unticked, 1 ticked, 2 greyed.
    int State() const { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetState(int state) { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
    std::function<void()> onClick;
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

}  // namespace kvl::win32
