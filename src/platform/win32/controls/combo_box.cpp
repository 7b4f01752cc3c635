#include "platform/win32/controls/combo_box.h"

namespace kvl::win32 {

bool ComboBox::Create(const ComboBoxArgs& args) {
    if (!CreateControl(args.parent, args.id, L"COMBOBOX", L"",
                       WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, args.at))
        return false;
    dropHeight_ = args.dropHeight;
    AdoptPart(EditHandle());
    AdoptPart(ListHandle());
    Place();
    return true;
}

// The box's window reaches down over its open list.
void ComboBox::Place() {
    TwipsRect withList = Position();
    withList.height += dropHeight_;
    PlaceWindow(withList);
    FitHeight(Position().height);
}

int ComboBox::AddItem(std::wstring_view text) {
    return static_cast<int>(
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
}

// The height follows the selection field, whose height the box takes in item units that
// differ between systems: ask, look and correct.
void ComboBox::FitHeight(int heightTwips) {
    const int target = TwipsToPixels(heightTwips, Dpi());
    auto height = [&] {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return static_cast<int>(r.bottom - r.top);
    };
    int request =
        static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, WPARAM(-1), 0)) + target - height();
    for (int attempt = 0; attempt < 3 && height() != target && request > 0; ++attempt) {
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, WPARAM(-1), request);
        request += target - height();
    }
}

HWND ComboBox::EditHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

HWND ComboBox::ListHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndList : nullptr;
}

}  // namespace kvl::win32
