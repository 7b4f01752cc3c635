#pragma once
// A one-line text field.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct TextBoxArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};
};

class TextBox : public Control {
public:
    bool Create(const TextBoxArgs& args) {
        return CreateControl(args.parent, args.id, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL,
                             args.at, WS_EX_CLIENTEDGE);
    }
    void SelectAll() { SendMessageW(hwnd_, EM_SETSEL, 0, -1); }
    std::function<void()> onGotFocus;

protected:
    bool Notified(UINT code) override { return code == EN_SETFOCUS && Raise(onGotFocus); }
};

}  // namespace kvl::win32
