#include "platform/win32/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace kvl::win32 {

namespace {
#ifndef NIF_SHOWTIP
constexpr UINT NIF_SHOWTIP = 0x80;
#endif
}  // namespace

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage)
    : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    data_.cbSize = sizeof data_;
    data_.hWnd = owner;
    data_.uID = 1;
    // The tip is the shell's own only when asked for, under the event scheme set below.
    data_.uFlags = NIF_MESSAGE | NIF_TIP | NIF_SHOWTIP;
    data_.uCallbackMessage = callbackMessage;
    data_.uVersion = NOTIFYICON_VERSION_4;
    Publish();
}

void TrayIcon::SetIcon(HICON icon) {
    data_.hIcon = icon;
    data_.uFlags |= NIF_ICON;
    Publish();
}

void TrayIcon::SetTip(const std::wstring& tip) {
    std::wcsncpy(data_.szTip, tip.c_str(), std::size(data_.szTip) - 1);
    data_.szTip[std::size(data_.szTip) - 1] = L'\0';
    Publish();
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!added_) return;
    balloon_ = text;
    // Only this once: a later change of the icon or its tip must not show it again.
    NOTIFYICONDATAW note = data_;
    note.uFlags = NIF_INFO;
    std::wcsncpy(note.szInfoTitle, title.c_str(), std::size(note.szInfoTitle) - 1);
    note.szInfoTitle[std::size(note.szInfoTitle) - 1] = L'\0';
    std::wcsncpy(note.szInfo, text.c_str(), std::size(note.szInfo) - 1);
    note.szInfo[std::size(note.szInfo) - 1] = L'\0';
    note.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &note);
}

void TrayIcon::Publish() {
    if (added_ && Shell_NotifyIconW(NIM_MODIFY, &data_)) return;
    added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    // Selection and context-menu events, from the mouse and from the keyboard alike.
    if (added_) Shell_NotifyIconW(NIM_SETVERSION, &data_);
}

void TrayIcon::Remove() {
    if (!added_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
}

bool TrayIcon::HandleShellRestart(UINT msg) {
    if (msg != taskbarCreated_ || taskbarCreated_ == 0) return false;
    added_ = false;  // the new shell knows nothing of us
    Publish();
    return true;
}

}  // namespace kvl::win32
