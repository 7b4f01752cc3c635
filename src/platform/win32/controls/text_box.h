#pragma once
// A one-line text field.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

class TextBox : public Control {
public:
    bool Create(HWND parent, int id, const TwipsRect& at, DWORD extraStyle = ES_AUTOHSCROLL) {
        return CreateControl(parent, id, L"EDIT", L"", WS_TABSTOP | extraStyle, at, WS_EX_CLIENTEDGE);
    }
    std::function<void()> onGotFocus;
    bool Notified(UINT code) override { return code == EN_SETFOCUS && Raise(onGotFocus); }
};

}  // namespace kvl::win32
