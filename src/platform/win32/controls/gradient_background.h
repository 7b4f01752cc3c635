#pragma once
// The gradient background of the forms.

#include "platform/win32/controls/control.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

struct CandyScreenArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};
    // All in the colour the gradient ends in: it carries on a screen that lies above it.
    bool continuation = false;
};

// A gradient background that holds other controls: hiding it hides what it holds. Controls
// of the form that lie over it take it for their backdrop, so they look transparent.
class CandyScreen : public Control, public Backdrop, private MessageTarget {
public:
    bool Create(const CandyScreenArgs& args);
    HBRUSH BrushFor(HDC dc, HWND control) const override;

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void Rescaled(int) override { Render(); }
    void Render();

    bool continuation_ = false;
    UniqueBitmap bitmap_;
    UniqueBrush brush_;
};

}  // namespace kvl::win32
