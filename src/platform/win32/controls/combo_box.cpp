#include "platform/win32/controls/combo_box.h"

namespace kvl::win32 {

bool ComboBox::Create(HWND parent, int id, const TwipsRect& at, bool dropDownList,
                      int dropHeightPx) {
    TwipsRect withList = at;
    withList.height = at.height + dropHeightPx * kTwipsPerPixel;
    return CreateControl(parent, id, L"COMBOBOX", L"",
                         WS_TABSTOP | WS_VSCROLL |
                             (dropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL),
                         withList);
}

int ComboBox::AddItem(std::wstring_view text, LPARAM data) {
    const auto i = static_cast<int>(
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
    if (i >= 0) SendMessageW(hwnd_, CB_SETITEMDATA, static_cast<WPARAM>(i), data);
    return i;
}

std::wstring ComboBox::List(int i) const {
    const auto n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

HWND ComboBox::EditHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

HWND ComboBox::ListHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndList : nullptr;
}

void ComboBox::SetToolTip(HWND toolTips, const wchar_t* text) {
    Control::SetToolTip(toolTips, text);
    if (HWND edit = EditHandle(); edit && edit != hwnd_) AddToolTip(toolTips, edit, text);
}

}  // namespace kvl::win32
