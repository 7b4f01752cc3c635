#pragma once
// A static text.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

class Label : public Control {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD extraStyle = 0) {
        return CreateControl(parent, id, L"STATIC", text, SS_LEFT | SS_NOPREFIX | extraStyle, at);
    }
};

}  // namespace kvl::win32
