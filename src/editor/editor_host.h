#pragma once
// What the monitor editor needs of the main window that opened it.

#include "monitors/settings.h"

namespace kvl {

class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The monitor table, edited in place by slot.
    virtual Settings& CurrentSettings() = 0;
    // Save, clear, load and rebuild the monitor list.
    virtual void RefreshMe() = 0;
    // Save and hand every monitor to the watcher again (level 0 while monitoring is off).
    virtual void RegisterWatches() = 0;
    // Nothing fires while the user edits, not even what was reported before; afterwards the selected level comes back, or 0
    // while "Disable All Monitoring" is ticked.
    virtual void PauseWatching() = 0;
    virtual void ResumeWatching() = 0;
    // The editor's window is gone; the host may drop it now.
    virtual void EditorClosed() = 0;
};

}  // namespace kvl
