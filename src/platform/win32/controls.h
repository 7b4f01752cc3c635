#pragma once
// Thin typed wrappers over the standard controls, so that form code reads like
// `lstItems.AddItem(line)` rather than like raw messages. Positions are in twips.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/twips.h"
#include "platform/win32/handles.h"
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

class Label : public Control {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD extraStyle = 0) {
        return CreateControl(parent, id, L"STATIC", text, SS_LEFT | SS_NOPREFIX | extraStyle, at);
    }
};

// For a form's OnMessage: hands a child's WM_COMMAND or WM_DRAWITEM to the wrapper of the
// child; true when it took it.
bool RouteToControl(UINT msg, WPARAM wp, LPARAM lp);
// The sender of a WM_COMMAND to `form`: a command with none that carries a control's
// identifier is that control's (the dialog manager presses the default button so).
LPARAM CommandSender(HWND form, WPARAM wp, LPARAM lp);

class Button : public Control {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD extraStyle = BS_PUSHBUTTON) {
        return CreateControl(parent, id, L"BUTTON", text, WS_TABSTOP | extraStyle, at);
    }
    std::function<void()> onClick;
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

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

class CheckBox : public Control {
public:
    // kind BS_3STATE: the box also shows greyed (2), and its owner decides what a click does.
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at,
                DWORD kind = BS_AUTOCHECKBOX) {
        return CreateControl(parent, id, L"BUTTON", text, WS_TABSTOP | kind, at);
    }
    bool Value() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetValue(bool on) { SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    // 0 unticked, 1 ticked, 2 greyed.
    int State() const { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetState(int state) { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
    std::function<void()> onClick;
    bool Notified(UINT code) override { return code == BN_CLICKED && Raise(onClick); }
};

class ListBox : public Control {
public:
    bool Create(HWND parent, int id, const TwipsRect& at, DWORD extraStyle = 0) {
        return CreateControl(parent, id, L"LISTBOX", L"",
                             WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | extraStyle,
                             at, WS_EX_CLIENTEDGE);
    }
    void Clear() { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
    int AddItem(std::wstring_view text);
    int ListCount() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
    void SetListIndex(int i) { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    std::wstring List(int i) const;
    std::function<void()> onClick;  // the selection changed, by mouse or keys
    std::function<void()> onDblClick;
    bool Notified(UINT code) override {
        return (code == LBN_SELCHANGE && Raise(onClick)) || (code == LBN_DBLCLK && Raise(onDblClick));
    }
};

class ComboBox : public Control {
public:
    // dropDownList: a list without free text; otherwise a box that takes any text.
    bool Create(HWND parent, int id, const TwipsRect& at, bool dropDownList, int dropHeightPx = 200);
    void Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
    int AddItem(std::wstring_view text, LPARAM data = 0);
    int ListCount() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    void SetListIndex(int i) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
    LPARAM ItemData(int i) const { return SendMessageW(hwnd_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0); }
    std::wstring List(int i) const;
    // The edit field of a box that takes text, and the drop-down list.
    HWND EditHandle() const;
    HWND ListHandle() const;
    // The tip shows over the edit field too, which covers most of the box.
    void SetToolTip(HWND toolTips, const wchar_t* text);
};

class TextBox : public Control {
public:
    bool Create(HWND parent, int id, const TwipsRect& at, DWORD extraStyle = ES_AUTOHSCROLL) {
        return CreateControl(parent, id, L"EDIT", L"", WS_TABSTOP | extraStyle, at, WS_EX_CLIENTEDGE);
    }
    std::function<void()> onGotFocus;
    bool Notified(UINT code) override { return code == EN_SETFOCUS && Raise(onGotFocus); }
};

// A captioned frame that holds other controls. It passes its children's notifications on
// to its own parent, and asks that parent for its colours as a static control would.
class Frame : public Control, private MessageTarget {
public:
    bool Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at);

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    HFONT font_ = nullptr;
};

// Containers pass what their children tell them on to the form that owns them all.
bool ForwardChildNotification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

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

// Takes a control out of the visual styles, so that it draws with the colours its parent
// hands it. Nothing changes where the system has no styles.
void UseClassicLook(HWND control);

// The classic dialog font, or the system's nearest.
HFONT DialogFont();

}  // namespace kvl::win32
