#pragma once
// A push button.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct ButtonArgs {
    HWND parent = nullptr;
    int id = 0;
    std::wstring text;
    TwipsRect at{};
};

class Button : public Control {
public:
    bool Create(const ButtonArgs& args) { return CreateButton(args, BS_PUSHBUTTON); }
    std::function<void()> onClick;

protected:
    bool CreateButton(const ButtonArgs& args, DWORD kind) {
        return CreateControl(args.parent, args.id, L"BUTTON", args.text, WS_TABSTOP | kind,
                             args.at);
    }
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

}  // namespace kvl::win32
