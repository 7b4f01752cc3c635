#pragma once
// The base of the thin typed wrappers over the standard controls, so that form code reads
// like `lstItems.AddItem(line)` rather than like raw messages. Positions are in twips.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/twips.h"
#include "platform/win32/window.h"

namespace kvl::win32 {

RECT PixelRect(const TwipsRect& r);  // left, top, right, bottom in pixels

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return hwnd_; }
    int Id() const { return GetDlgCtrlID(hwnd_); }
    // The control's own visibility, whatever its container's.
    bool Visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    void Move(const TwipsRect& r);
    TwipsRect Position() const;  // relative to the parent, in twips
    void SetText(std::wstring_view text) { SetWindowTextW(hwnd_, std::wstring(text).c_str()); }
    std::wstring Text() const;
    void SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    void SetFocus() { ::SetFocus(hwnd_); }
    void SetToolTip(HWND toolTips, const wchar_t* text) { AddToolTip(toolTips, hwnd_, text); }

    // A tip for any window, shown while the pointer rests on it.
    static void AddToolTip(HWND toolTips, HWND tool, const wchar_t* text);

    // What the control told its parent (a WM_COMMAND notification code, or its WM_DRAWITEM),
    // handed back to the wrapper that made it; true when it was the control's to handle.
    virtual bool Notified(UINT) { return false; }
    virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }

protected:
    // Raises an event: a copy runs, since the handler may delete the form and this with it.
    static bool Raise(const std::function<void()>& event) {
        if (!event) return false;
        const std::function<void()> run = event;
        run();
        return true;
    }

    bool CreateControl(HWND parent, int id, const wchar_t* windowClass, std::wstring_view text,
                       DWORD style, const TwipsRect& at, DWORD exStyle = 0);
    // A control of one of our own classes, its messages going to `target`.
    bool CreateOwnControl(MessageTarget& target, HWND parent, int id, const WindowClass& windowClass,
                          std::wstring_view text, DWORD style, const TwipsRect& at);

    HWND hwnd_ = nullptr;
};

// For a form's OnMessage: hands a child's WM_COMMAND or WM_DRAWITEM to the wrapper of the
// child; true when it took it.
bool RouteToControl(UINT msg, WPARAM wp, LPARAM lp);
// The sender of a WM_COMMAND to `form`: a command with none that carries a control's
// identifier is that control's (the dialog manager presses the default button so).
LPARAM CommandSender(HWND form, WPARAM wp, LPARAM lp);

// Containers pass what their children tell them on to the form that owns them all.
bool ForwardChildNotification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Takes a control out of the visual styles, so that it draws with the colours its parent
// hands it. Nothing changes where the system has no styles.
void UseClassicLook(HWND control);

// The classic dialog font, or the system's nearest.
HFONT DialogFont();

}  // namespace kvl::win32
