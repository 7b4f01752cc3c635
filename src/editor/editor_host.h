#pragma once
// What the monitor editor needs of the main window that opened it.

#include <functional>

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
    // Nothing fires while the user edits; afterwards the selected level comes back, or 0
    // while "Disable All Monitoring" is ticked.
    virtual void PauseWatching() = 0;
    virtual void ResumeWatching() = 0;
    // The editor's window is gone; the host may drop it now.
    virtual void EditorClosed() = 0;
    // Runs one of the program's own modal loops (a message box): what the watcher reports
    // meanwhile is acted on once it returns.
    virtual void ModalLoop(const std::function<void()>& run) = 0;
};

}  // namespace kvl
