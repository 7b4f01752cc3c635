#pragma once
// A static text.

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct LabelArgs {
    HWND parent = nullptr;
    int id = 0;
    std::wstring text;
    TwipsRect at{};
    bool wrap = true;  // false: one line, cut at the edge
};

class Label : public Control {
public:
    bool Create(const LabelArgs& args) {
        return CreateControl(args.parent, args.id, L"STATIC", args.text,
                             (args.wrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX, args.at);
    }
};

}  // namespace kvl::win32
