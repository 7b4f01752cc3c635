#include "platform/win32/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace kvl::win32 {

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage)
    : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    data_.cbSize = sizeof data_;
    data_.hWnd = owner;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
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

void TrayIcon::Publish() {
    if (added_ && Shell_NotifyIconW(NIM_MODIFY, &data_)) return;
    added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
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
