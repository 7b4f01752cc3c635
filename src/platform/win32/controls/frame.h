#pragma once
// A captioned frame that holds other controls.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct FrameArgs {
    HWND parent = nullptr;
    int id = 0;
    std::wstring text;
    TwipsRect at{};
};

// A captioned frame that holds other controls. It passes its children's notifications on
// to its own parent, and is painted in the colours given it, else in its parent's for a
// static control.
class Frame : public Control, private MessageTarget {
public:
    bool Create(const FrameArgs& args);

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    HFONT font_ = nullptr;
};

}  // namespace kvl::win32
