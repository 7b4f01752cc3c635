#pragma once
// The monitor editor's measures and colours, shared by the files that make up frmAction: its
// window and handlers (frm_action.cpp), its controls (frm_action_layout.cpp), its fields and
// their store (frm_action_fields.cpp) and the windows it offers (frm_action_finder.cpp).

#include <windows.h>

#include <array>

#include "editor/editor_fields.h"
#include "platform/twips.h"
#include "platform/win32/handles.h"

namespace kvl::action_form {

inline constexpr wchar_t kClassName[] = L"KVL.frmAction";
inline constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
// The form as first laid out, and as grown by a column on its right for what KVL adds: which
// windows, the button to press, and where to put the window. Below the rest, they made the
// editor taller than a 768-pixel screen at 125 %.
inline constexpr int kFirstClientWidthTwips = 6450;
inline constexpr int kClientWidthTwips = kFirstClientWidthTwips + 4815 + 555;
inline constexpr int kFirstClientHeightTwips = 7395;
inline constexpr int kClientHeightTwips = kFirstClientHeightTwips;
inline constexpr int kLowColourHeightCut = 300;

inline constexpr COLORREF kTeal = RGB(0, 128, 128);
inline constexpr COLORREF kYellow = RGB(255, 255, 0);
inline constexpr COLORREF kPaleYellow = RGB(255, 255, 128);
inline constexpr COLORREF kDarkYellow = RGB(192, 192, 0);

// Where the keystroke rows sit inside Frame4: step 1 shows, steps 2 and 3 lie below the
// frame's visible height, hidden.
struct KeystrokeRow {
    TwipsRect keystrokeLabel;
    TwipsRect addIn;
    TwipsRect sendKeys;
    TwipsRect pauseLabel;
    TwipsRect pause;
};
inline constexpr std::array<KeystrokeRow, kKeystrokeSteps> kRows{{
    {{1260, 420, 915, 195},
     {120, 660, 465, 315},
     {660, 690, 3195, 285},
     {3930, 420, 615, 195},
     {3900, 690, 795, 315}},
    {{1260, 1080, 945, 195},
     {120, 1320, 465, 315},
     {660, 1350, 3195, 285},
     {3930, 1080, 585, 195},
     {3900, 1350, 795, 315}},
    {{1290, 1740, 945, 225},
     {120, 1950, 465, 315},
     {660, 1980, 3195, 285},
     {3960, 1740, 585, 195},
     {3900, 1980, 795, 315}},
}};

inline constexpr TwipsRect kFrame4At{1080, 4560, 4815, 1215};
// The right-hand column, its top level with the first frame's.
inline constexpr TwipsRect kFrameWhichAt{kFirstClientWidthTwips, 1080, 4815, 1425};
inline constexpr TwipsRect kFramePressAt{kFirstClientWidthTwips, 2595, 4815, 750};
inline constexpr TwipsRect kFramePlaceAt{kFirstClientWidthTwips, 3435, 4815, 2505};

inline constexpr TwipsRect kOKAt{2190, 6120, 1185, 495};
inline constexpr TwipsRect kCancelAt{3420, 6120, 1185, 495};
inline constexpr TwipsRect kApplyAt{4650, 6120, 1185, 495};

// Shared by every editor window for the life of the program, as the class background.
inline HBRUSH TealBrush() {
    static const win32::UniqueBrush brush(CreateSolidBrush(kTeal));
    return brush.get();
}

}  // namespace kvl::action_form
