#pragma once
// frmActivity, "Recent Activity": what KVL did to the windows it found, newest first, in a
// list that can be sized, read from the keyboard and copied out.

#include <windows.h>

#include "app/activity.h"
#include "platform/win32/controls.h"
#include "platform/win32/window.h"

namespace kvl {

class frmActivity final : public win32::Window {
public:
    explicit frmActivity(const ActivityLog& log) : log_(log) {}

    // Shows the window in front, loading it first when it is not loaded.
    bool Show();
    // The log has changed: the list shows it again.
    void Refresh();
    void Unload();
    bool Loaded() const { return Handle() != nullptr; }

    static constexpr int idLvwEvents = 10;
    win32::ListView lvwEvents;

    void lvwEvents_KeyDown(WORD key);
    // Ctrl+C: the selected rows, tab-separated, to the clipboard.
    void CopySelection();

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Form_Load();
    void Form_Resize(int width, int height);
    TwipsRect ClientTwips(const RECT& client) const;  // the list fills the client area

    const ActivityLog& log_;
};

}  // namespace kvl
