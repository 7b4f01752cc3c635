#pragma once
// A notification-area icon: added at once, added again when the shell restarts, removed
// when the owner says so or the object dies.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace kvl::win32 {

class TrayIcon {
public:
    // Activity arrives at `owner` as `callbackMessage`: LOWORD(lParam) the mouse message,
    // NIN_SELECT, NIN_KEYSELECT or WM_CONTEXTMENU; wParam the screen point it concerns.
    TrayIcon(HWND owner, UINT callbackMessage);
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void SetIcon(HICON icon);
    void SetTip(const std::wstring& tip);
    HICON Icon() const { return data_.hIcon; }
    const wchar_t* Tip() const { return data_.szTip; }
    bool Added() const { return added_; }

    // A warning balloon beside the icon; the shell shows it for a while and lets it go.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);
    // The last balloon's text, for the tests.
    const wchar_t* BalloonText() const { return balloon_.c_str(); }

    void Remove();
    // True when `msg` is the shell's restart broadcast; the icon is then added again.
    bool HandleShellRestart(UINT msg);

private:
    void Publish();

    NOTIFYICONDATAW data_{};
    std::wstring balloon_;
    bool added_ = false;
    const UINT taskbarCreated_;
};

}  // namespace kvl::win32
