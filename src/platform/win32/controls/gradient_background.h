#pragma once
// The gradient background of the forms.

#include "platform/win32/controls/control.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

// A gradient background that holds other controls: hiding it hides what it holds. Controls
// of the form drawn over it paint their background with Brush(), so they look transparent.
class CandyScreen : public Control, private MessageTarget {
public:
    bool Create(HWND parent, int id, const TwipsRect& at);
    // A brush of the gradient aligned for `control`, for WM_CTLCOLOR* replies.
    HBRUSH BrushFor(HDC dc, HWND control) const;

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void Render();

    UniqueBitmap bitmap_;
    UniqueBrush brush_;
};

}  // namespace kvl::win32
