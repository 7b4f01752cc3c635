#pragma once
// A push button with a face of its own.

#include "platform/win32/controls/button.h"

namespace kvl::win32 {

// An owner-drawn push button with a glossy face: keyboard, focus, default-button and
// accessibility behaviour stay the system's.
class StyledButton : public Button {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at);
    // `background` fills the corners the rounded face leaves, so it should match what lies
    // behind the button.
    static void Draw(const DRAWITEMSTRUCT& item, HBRUSH background);
    // What lies behind the button, for its corners.
    std::function<HBRUSH(HDC)> background;
    bool DrawItem(const DRAWITEMSTRUCT& item) override {
        Draw(item, background ? background(item.hDC) : nullptr);
        return true;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                 DWORD_PTR data);
};

}  // namespace kvl::win32
