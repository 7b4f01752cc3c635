#pragma once
// A drop-down list with a text field that takes any text.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct ComboBoxArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};  // the closed box
    int dropHeight = 3000;  // of the list below it, in twips
};

class ComboBox : public Control {
public:
    bool Create(const ComboBoxArgs& args);
    void Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
    int AddItem(std::wstring_view text);
    int ListCount() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    void SetListIndex(int i) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    std::wstring List(int i) const { return ItemText(CB_GETLBTEXTLEN, CB_GETLBTEXT, i); }
    // The closed box's height, which the system keeps in item units of its own.
    void FitHeight(int heightTwips);
    // The edit field and the drop-down list: their colours and events are the box's.
    HWND EditHandle() const;
    HWND ListHandle() const;

private:
    void Place() override;

    int dropHeight_ = 0;
};

}  // namespace kvl::win32
