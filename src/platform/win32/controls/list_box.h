#pragma once
// A list of lines.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct ListBoxArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};
};

class ListBox : public Control {
public:
    bool Create(const ListBoxArgs& args) {
        return CreateControl(args.parent, args.id, L"LISTBOX", L"",
                             WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, args.at,
                             WS_EX_CLIENTEDGE);
    }
    void Clear() { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
    int AddItem(std::wstring_view text) {
        return static_cast<int>(SendMessageW(hwnd_, LB_ADDSTRING, 0,
                                             reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
    }
    int ListCount() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
    void SetListIndex(int i) { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    std::wstring List(int i) const { return ItemText(LB_GETTEXTLEN, LB_GETTEXT, i); }
    std::function<void()> onClick;  // the selection changed, by mouse or keys
    std::function<void()> onDblClick;

protected:
    bool Notified(UINT code) override {
        return (code == LBN_SELCHANGE && Raise(onClick)) ||
               (code == LBN_DBLCLK && Raise(onDblClick));
    }
};

}  // namespace kvl::win32
