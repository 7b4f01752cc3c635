// The tray icon's clicks, menus and animation, and the windows the watcher reports.
#include "app/win32/frm_kvl.h"

#include "platform/shell.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/display.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/unicode.h"

namespace kvl {

std::wstring frmKVL::LastTriggerText() const {
    const TriggerRecord& triggers = reports_.Triggers();
    return triggers.LastTriggerTime ? win32::FormatLocalTime(*triggers.LastTriggerTime)
                                    : std::wstring();
}

void frmKVL::ShowPopupAt(HMENU menu, POINT at) {
    // The menu must belong to the foreground window, or it will not close when clicked away.
    SetForegroundWindow(Handle());
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, at.x, at.y, 0,
                   Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void frmKVL::Tray1_MouseDown(int button) {
    if (button == 1) {
        const std::wstring caption = win32::ResourceText(IDS_LAST_TRIGGERED) + LastTriggerText();
        ModifyMenuW(mnuStats_, mnuLast, MF_BYCOMMAND | MF_STRING, mnuLast, caption.c_str());
        ShowPopupAt(mnuStats_, trayPoint_);
    } else if (button == 2) {
        ShowPopupAt(mnuPopUp_, trayPoint_);
    }
}

void frmKVL::Tray1_MouseDblClick() {
    // The one-shot mode never shows the window: its OK would save and re-register.
    if (CommandLineMode()) return;
    FillList();
    SetVisible(!IsVisible());
    if (!IsVisible()) return;
    win32::SetTopmost(Handle(), true);
    // Reached from the keyboard too: the window takes the keys, the list first.
    SetForegroundWindow(Handle());
    FocusControl(lstItems.Handle());
}

void frmKVL::tmrIconChange_Timer() {
    const IconAnimation::Tick tick = animation_.Next();
    tray1_->SetIcon(tick.frame == IconAnimation::Frame::Alternate ? trayImage1_.get()
                                                                  : trayImage2_.get());
    if (!tick.keepRunning) tmrIconChange_.Enable(false);
}

// A report waits its turn behind the actions before it, and behind our own menus and message
// boxes, whose loops would take its keys.
void frmKVL::PaneWatcher1_WindowOpen(int watchId, WindowHandle window) {
    if (ending_) return;
    if (CommandLineMode())
        reports_.AwaitedWindowOpen(win32::Narrow(services_.commandLine), window, services_.shell);
    else
        reports_.WindowOpen(policy_.CurrentSettings().Monitors, watchId, window);
}

// The icon flashes once the monitor's run is over, as it always has after the last keys.
void frmKVL::Action_Finished(const ActivityEvent& event) {
    if (event.triggered) tmrIconChange_.Enable(true);
    const std::optional<std::string> notice = recent_.Record(event);
    activity_.Refresh();
    if (notice && tray1_) tray1_->ShowBalloon(win32::Widen(kMessageTitle), win32::Widen(*notice));
}

}  // namespace kvl
