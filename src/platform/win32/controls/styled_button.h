#pragma once
// A push button with a face of its own.

#include "platform/win32/controls/button.h"

namespace kvl::win32 {

// An owner-drawn push button with a glossy face: keyboard, focus, default-button and
// accessibility behaviour stay the system's. The rounded face leaves corners, which show the
// button's background colour or backdrop (see SetColours): what lies behind it.
class StyledButton : public Button {
public:
    bool Create(const ButtonArgs& args) { return CreateButton(args, BS_OWNERDRAW); }

protected:
    bool DrawItem(const DRAWITEMSTRUCT& item) override;
    bool OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace kvl::win32
