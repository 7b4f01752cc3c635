#pragma once
// Base of every KVL window: owns its HWND and routes messages to a virtual handler.
// A window made as a dialog gets the system's dialog manager: keyboard travel between its
// controls, Enter for the default button, Escape for IDCANCEL, focus kept across activation.

#include <windows.h>

#include <string>

namespace kvl::win32 {

// What the windows of our own classes hand their messages to.
class MessageTarget {
public:
    virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) = 0;

protected:
    ~MessageTarget() = default;
};

// A child that hears back what it tells its parent: the one window procedure hands a child's
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* to the child's target before the
// parent sees them
// (the control wrappers raise their events and give their colours so).
class ReflectionTarget {
public:
    // True when the target took the message; `result` is then the parent's answer.
    virtual bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

protected:
    ~ReflectionTarget() = default;
};
// nullptr forgets the child's target.
void SetReflectionTarget(HWND child, ReflectionTarget* target);

// A child that lays itself out again when its window moves to a monitor of another scale.
class ScaledChild {
public:
    // Its window is now at another scale than `oldDpi`.
    virtual void Rescale(int oldDpi) = 0;

protected:
    ~ScaledChild() = default;
};
// nullptr forgets it.
void SetScaledChild(HWND window, ScaledChild* child);

// One of the program's window classes, registered while the object lives. Every window of
// every such class goes through the one window procedure, to the MessageTarget it was made
// for (see CreateRoutedWindow).
class WindowClass {
public:
    struct Look {
        HICON icon = nullptr;
        HBRUSH background = nullptr;
        UINT style = 0;
        int extraBytes = 0;  // DLGWINDOWEXTRA for a window the dialog procedure runs
    };
    explicit WindowClass(const wchar_t* name) : WindowClass(name, Look{}) {}
    WindowClass(const wchar_t* name, const Look& look);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    const wchar_t* Name() const { return name_.c_str(); }
    bool Registered() const { return atom_ != 0; }

private:
    std::wstring name_;
    ATOM atom_ = 0;
};

// A window of one of our classes whose messages go to `target` from the first on.
// `outer` is left, top, width, height; `menuOrId` a child's identifier for WS_CHILD.
HWND CreateRoutedWindow(MessageTarget& target, const WindowClass& windowClass, DWORD exStyle,
                        const wchar_t* title, DWORD style, const RECT& outer, HWND parent,
                        HMENU menuOrId);

class Window : private MessageTarget {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

protected:
    struct Class {
        const wchar_t* name;
        HICON icon = nullptr;
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        UINT style = 0;
        // Left to the system's dialog procedure, with the room it keeps in the window.
        bool dialog = false;
    };
    struct Frame {
        const wchar_t* title = L"";
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        RECT outer{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};  // left, top, width, height
        HWND parent = nullptr;
        HMENU menu = nullptr;
        int dpi = 0;  // the scale `outer` was measured at; 0: the system's
    };

    bool Create(const Class& windowClass, const Frame& frame);
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The scale the window is laid out at.
    int Dpi() const;
    // Once the controls are made: a window that the system put on a monitor of another
    // scale than it was measured for is laid out again there.
    void FitMonitorScale();
    // The form's own part of a new scale, once the window has its new rectangle and every
    // control has been placed again: what it drew or loaded at the old one.
    virtual void OnDpiChanged(int /*oldDpi*/) {}
    // Runs last of all, when the window is gone and this object no longer refers to it:
    // whoever owns the object may delete it from here.
    virtual void OnDestroyed() {}
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) {
        return dialog_ ? DefDlgProcW(hwnd_, msg, wp, lp) : DefWindowProcW(hwnd_, msg, wp, lp);
    }
    // The button Enter presses.
    void SetDefaultButton(int id) { SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0); }
    // Focus to a control the way the dialog manager moves it (an edit field's text selected).
    void FocusControl(HWND control) {
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void Rescale(int dpi, POINT topLeft);

    HWND hwnd_ = nullptr;
    bool dialog_ = false;
    bool draggedByUser_ = false;  // in the system's move or size loop
};

// Moves a top-level window, if need be, so that its title bar (and menu bar) lies on the work
// area of the monitor it is on, where the user can take hold of it: a window taller than the
// work area hangs below it, one wider keeps its left edge on it. A window without a title
// bar keeps its top-left corner there. Every form is kept so when it is placed.
void KeepTitleBarOnWorkArea(HWND window);

// For the message loop, before translating and dispatching: true when one of the program's
// dialog windows took `msg` as keyboard navigation.
bool IsOurDialogMessage(MSG& msg);

}  // namespace kvl::win32
