#pragma once
// A push button.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

class Button : public Control {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD extraStyle = BS_PUSHBUTTON) {
        return CreateControl(parent, id, L"BUTTON", text, WS_TABSTOP | extraStyle, at);
    }
    std::function<void()> onClick;
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

}  // namespace kvl::win32
