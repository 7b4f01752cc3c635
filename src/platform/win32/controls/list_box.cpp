#include "platform/win32/controls/list_box.h"

namespace kvl::win32 {

int ListBox::AddItem(std::wstring_view text) {
    return static_cast<int>(
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
}

std::wstring ListBox::List(int i) const {
    const auto n = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

}  // namespace kvl::win32
