#include "editor/win32/frm_add_in.h"

#include "editor/special_keys.h"
#include "platform/twips.h"
#include "platform/win32/display.h"
#include "platform/win32/dpi.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/unicode.h"

namespace kvl {

namespace {

constexpr wchar_t kClassName[] = L"KVL.frmAddIn";
constexpr int kClientWidthTwips = 1440;
constexpr int kClientHeightTwips = 3000;
constexpr TwipsRect kList1{0, 0, 1425, 2985};
constexpr int kList1Id = 1;
// The pick is made inside the list's own notification; the window goes once that is over.
constexpr UINT kUnloadMessage = WM_APP + 1;

}  // namespace

void frmAddIn::ShowFor(int field, HWND owner, POINT at) {
    TargetField = field;
    if (!Loaded()) {
        Form_Load(owner, at);
        return;
    }
    // Back on top as well: under Wine a click into the editor can raise it over the picker.
    SetWindowPos(Handle(), HWND_TOP, TwipsToPixels(at.x, Dpi()), TwipsToPixels(at.y, Dpi()), 0,
                 0, SWP_NOSIZE | SWP_NOACTIVATE);
    win32::KeepTitleBarOnWorkArea(Handle());
}

void frmAddIn::Form_Load(HWND owner, POINT at) {
    picked_ = false;
    unloadOnRelease_ = false;
    // No border and no title bar: what the picker shows is its list and nothing else.
    const std::wstring caption = win32::ResourceText(IDS_PICKER_CAPTION);
    // At the editor's scale: it opens beside it, on the same monitor.
    const int dpi = win32::WindowDpi(owner);
    if (!Create({kClassName},
                {caption.c_str(),
                 WS_POPUP | WS_CLIPCHILDREN,
                 WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                 {TwipsToPixels(at.x, dpi), TwipsToPixels(at.y, dpi),
                  TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)},
                 owner,
                 nullptr,
                 dpi}))
        return;
    List1.Create({.parent = Handle(), .id = kList1Id, .at = kList1});
    List1.onClick = [this] { List1_Click(); };
    List1.onMouseUp = [this](win32::MouseButton button) {
        if (button == win32::MouseButton::Left) List1_MouseUp();
    };
    for (std::string_view entry : kSpecialKeyEntries) List1.AddItem(win32::Widen(entry));
    FitMonitorScale();
    win32::SetTopmost(Handle(), true);
    stayOnTop_.onTimer = [this] { StayOnTop_Timer(); };
    stayOnTop_.Attach(Handle());
    stayOnTop_.Enable(true);
}

void frmAddIn::StayAboveOwner() {
    // An owned window belongs above its owner, and Windows keeps it there. Wine raises a
    // window that X reports exposed (the editor, when a tip over it goes) over everything
    // it overlaps, owned windows included; the picker would then sit out of reach behind the
    // editor until something moved it.
    const HWND owner = GetWindow(Handle(), GW_OWNER);
    for (HWND above = GetWindow(Handle(), GW_HWNDPREV); above && owner;
         above = GetWindow(above, GW_HWNDPREV)) {
        if (above == owner) {
            SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return;
        }
    }
}

void frmAddIn::Unload() {
    if (Loaded()) DestroyWindow(Handle());
}

void frmAddIn::List1_Click() {
    if (picked_) return;
    const int selected = List1.ListIndex();
    if (selected < 0) return;
    picked_ = true;
    if (onPick_) onPick_(TargetField, List1.List(selected));
    // Picked by a click, the picker waits for the button to come up: gone at once, it would
    // leave the release to whatever lies beneath, the button that opened the picker among them.
    if (GetKeyState(VK_LBUTTON) < 0) {
        unloadOnRelease_ = true;
        return;
    }
    PostMessageW(Handle(), kUnloadMessage, 0, 0);
}

void frmAddIn::List1_MouseUp() {
    if (!unloadOnRelease_) return;
    unloadOnRelease_ = false;
    PostMessageW(Handle(), kUnloadMessage, 0, 0);
}

void frmAddIn::StayOnTop_Timer() {
    // A release that went elsewhere still ends the pick.
    if (unloadOnRelease_ && GetAsyncKeyState(VK_LBUTTON) >= 0) {
        unloadOnRelease_ = false;
        Unload();
        return;
    }
    StayAboveOwner();
}

LRESULT frmAddIn::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kUnloadMessage) {
        Unload();
        return 0;
    }
    if (msg == WM_DESTROY) stayOnTop_.Enable(false);
    return Default(msg, wp, lp);
}

}  // namespace kvl
