#pragma once
// A drop-down list, with or without a text field.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

class ComboBox : public Control {
public:
    // dropDownList: a list without free text; otherwise a box that takes any text.
    bool Create(HWND parent, int id, const TwipsRect& at, bool dropDownList, int dropHeightPx = 200);
    void Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
    int AddItem(std::wstring_view text, LPARAM data = 0);
    int ListCount() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    void SetListIndex(int i) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    LPARAM ItemData(int i) const { return SendMessageW(hwnd_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0); }
    std::wstring List(int i) const;
    // The edit field of a box that takes text, and the drop-down list.
    HWND EditHandle() const;
    HWND ListHandle() const;
    // The tip shows over the edit field too, which covers most of the box.
    void SetToolTip(HWND toolTips, const wchar_t* text);
};

}  // namespace kvl::win32
