#pragma once
// A captioned frame that holds other controls.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

// A captioned frame that holds other controls. It passes its children's notifications on
// to its own parent, and asks that parent for its colours as a static control would.
class Frame : public Control, private MessageTarget {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at);

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    HFONT font_ = nullptr;
};

}  // namespace kvl::win32
