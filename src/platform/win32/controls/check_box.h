#pragma once
// A check box, two- or three-state.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct CheckBoxArgs {
    HWND parent = nullptr;
    int id = 0;
    std::wstring text;
    TwipsRect at{};
    // The box also shows greyed (2), and its owner decides what a click does.
    bool threeState = false;
};

class CheckBox : public Control {
public:
    bool Create(const CheckBoxArgs& args) {
        return CreateControl(args.parent, args.id, L"BUTTON", args.text,
                             WS_TABSTOP | (args.threeState ? BS_3STATE : BS_AUTOCHECKBOX), args.at);
    }
    bool Value() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetValue(bool on) {
        SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // 0 unticked, 1 ticked, 2 greyed.
    int State() const { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetState(int state) { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
    std::function<void()> onClick;

protected:
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

}  // namespace kvl::win32
