#pragma once
// The base of the thin typed wrappers over the standard controls, so that form code reads
// like `lstItems.AddItem(line)` rather than like raw messages. Positions are in twips.
//
// Each kind is made from a creation-arguments struct of its own, so that a form's control
// list reads as a table: `cmdOK.Create({.parent = form, .id = idCmdOK, .text = ..., .at = ...})`.
// What a control tells its parent comes back to its wrapper (see ReflectionTarget), which
// raises the typed event the form bound (onClick, onDblClick, onGotFocus, ...) and answers
// with the colours the form gave it.
//
// A control keeps the twips rectangle it was given and the scale it was placed at, so that
// a window moved to a monitor of another scale places it again (see ScaledChild).

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/twips.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace kvl::win32 {

RECT PixelRect(const TwipsRect& r, int dpi);  // left, top, right, bottom in pixels

// A picture that see-through controls show behind themselves.
class Backdrop {
public:
    // A brush of the picture aligned for `control`, which lies somewhere over it.
    virtual HBRUSH BrushFor(HDC dc, HWND control) const = 0;

protected:
    ~Backdrop() = default;
};

// How a control is painted where it does not keep the system's look.
struct Colours {
    COLORREF text = CLR_INVALID;         // CLR_INVALID: the system's
    COLORREF back = CLR_INVALID;         // a solid background, under the text too
    const Backdrop* backdrop = nullptr;  // or see-through: the text goes straight onto it
};

enum class MouseButton { Left, Right };

class Control : private ReflectionTarget, private ScaledChild {
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
    // Where the control was put, relative to its parent, in twips.
    TwipsRect Position() const { return at_; }
    // The scale the control is drawn at: its window's.
    int Dpi() const { return WindowDpi(hwnd_); }
    void SetText(std::wstring_view text) { SetWindowTextW(hwnd_, std::wstring(text).c_str()); }
    std::wstring Text() const;
    void SetFont(HFONT font) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    void SetFocus() { ::SetFocus(hwnd_); }
    // Every mouse message goes to the control until ReleaseCapture, wherever the pointer is.
    void SetCapture() { ::SetCapture(hwnd_); }
    void ReleaseCapture() {
        if (HasCapture()) ::ReleaseCapture();
    }
    bool HasCapture() const { return hwnd_ && GetCapture() == hwnd_; }
    void SetToolTip(HWND toolTips, const wchar_t* text);
    // Colours{} gives the control back to the system's look.
    void SetColours(const Colours& colours);

    // A mouse button went down over the control; the point is in twips of the control. A
    // control whose form takes its presses leaves the right button, and the context menu, to
    // the form: it shows no menu of its own.
    std::function<void(MouseButton, POINT)> onMouseDown;
    std::function<void(MouseButton)> onMouseUp;
    // The pointer moved over the control, or anywhere while the control holds the mouse
    // (SetCapture); the point is in twips of the control, and may lie outside it.
    std::function<void(POINT)> onMouseMove;
    // The mouse is no longer the control's: ReleaseCapture, or another window took it (a
    // window of another program coming to the front, say).
    std::function<void()> onCaptureLost;
    // The focus left for another control of the same window: not for another window, and not
    // for a part of this control.
    std::function<void()> onLostFocus;

protected:
    // Raises an event: a copy runs, since the handler may delete the form and this with it.
    template <typename... Args>
    static bool Raise(const std::function<void(Args...)>& event,
                      std::type_identity_t<Args>... args) {
        if (!event) return false;
        const auto run = event;
        run(args...);
        return true;
    }

    bool CreateControl(HWND parent, int id, const wchar_t* windowClass, std::wstring_view text,
                       DWORD style, const TwipsRect& at, DWORD exStyle = 0);
    // A control of one of our own classes, its messages going to `target`.
    bool CreateOwnControl(MessageTarget& target, HWND parent, int id,
                          const WindowClass& windowClass, std::wstring_view text, DWORD style,
                          const TwipsRect& at);
    // A window the control is made of besides its own (a combo box's edit field and list):
    // what it tells its parent, and its mouse and focus events, are the control's.
    void AdoptPart(HWND part);

    // What the control told its parent: a WM_COMMAND notification code, or its WM_DRAWITEM.
    // True when it was the control's to handle.
    virtual bool Notified(UINT) { return false; }
    virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }
    // What the control told its parent by WM_NOTIFY; `result` is the parent's answer.
    virtual bool Notify(const NMHDR&, LRESULT&) { return false; }
    // A message to the control's own window before its class sees it; true when taken.
    virtual bool OwnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // The text of an item of a list, asked for with the kind's own two messages.
    std::wstring ItemText(UINT lengthMessage, UINT textMessage, int index) const;
    // Puts the window where Position() says, at the control's scale. A kind whose window
    // is larger than what it shows (a combo box and its list) places itself.
    virtual void Place() { PlaceWindow(at_); }
    void PlaceWindow(const TwipsRect& at);
    // After the control was placed at a new scale, for what a kind measured in pixels.
    virtual void Rescaled(int /*oldDpi*/) {}
    // What lies behind the control, for one that draws itself; nullptr: the system's face.
    HBRUSH BackgroundBrush(HDC dc) const;

    HWND hwnd_ = nullptr;

private:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Attach(HWND window);
    void Detach(HWND window);
    LRESULT PaintWith(HDC dc) const;
    static LRESULT CALLBACK WindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR self);
    bool MouseMessage(UINT msg, LPARAM lp);
    void Rescale(int oldDpi) override;
    // Everything the two ways of making a control share once its window is there.
    bool Made(const TwipsRect& at);

    std::vector<HWND> parts_;
    TwipsRect at_{};
    Colours colours_;
    UniqueBrush backBrush_;
};

// Containers pass what their children tell them on to the form that owns them all.
bool ForwardChildNotification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Takes a control out of the visual styles, so that it draws with the colours its parent
// hands it. Nothing changes where the system has no styles.
void UseClassicLook(HWND control);

// Fills a control of our own that draws itself with the colours its parent gives a static
// control, the system's face when it gives none; the brush used, for more of the same.
HBRUSH FillAsStatic(HWND control, HDC dc);

// The classic dialog font at `dpi`, or the system's nearest; made once for each scale.
HFONT DialogFont(int dpi);

}  // namespace kvl::win32
