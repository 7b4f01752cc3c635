#pragma once
// The finder's target: a crosshair the user drags out onto a window. It only draws itself;
// the dragging is the form's, through the mouse events every control raises.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct FinderTargetArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};
};

class FinderTarget : public Control, private MessageTarget {
public:
    bool Create(const FinderTargetArgs& args);
    // While the crosshair is out on the pointer, its place stays empty.
    void SetEmpty(bool empty);
    bool Empty() const { return empty_; }

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    bool empty_ = false;
};

}  // namespace kvl::win32
