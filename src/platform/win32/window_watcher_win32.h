#pragma once
// The window watcher on Win32: an out-of-context WinEvent hook for prompt reports plus an
// EnumWindows poll whose period follows the strength level.

#include <windows.h>

#include <string>
#include <vector>

#include "engine/watch_tracker.h"
#include "platform/win32/handles.h"
#include "platform/win32/window_facts.h"
#include "platform/win32/window.h"
#include "platform/window_watcher.h"

namespace kvl::win32 {

// What the watcher matches against: whether the window is a visible, uncloaked top-level
// window, and its caption, read without sending it a message (a hung window cannot stall us).
struct WindowSnapshot {
    bool eligible = false;
    std::string caption;
};
WindowSnapshot SnapshotWindow(HWND hwnd);

class Win32WindowWatcher final : public WindowWatcher, private MessageTarget {
public:
    Win32WindowWatcher();
    ~Win32WindowWatcher() override;
    Win32WindowWatcher(const Win32WindowWatcher&) = delete;
    Win32WindowWatcher& operator=(const Win32WindowWatcher&) = delete;

    void ClearWatches() override;
    void AddWatch(const Watch& watch) override;
    void MonitorStrength(std::int16_t level) override;
    void DebugLevel(std::int16_t level) override { debugLevel_ = level; }
    void OnWindowOpen(WindowOpenHandler handler) override { handler_ = std::move(handler); }
    void OnPatternTooLong(PatternTooLongHandler handler) override {
        tracker_.OnPatternTooLong(std::move(handler));
    }

    std::int16_t Level() const { return level_; }
    std::size_t TrackedWindows() const { return tracker_.TrackedWindows(); }
    std::size_t PendingRechecks() const { return rechecks_.size(); }
    std::size_t KnownProcesses() const { return facts_.KnownProcesses(); }

private:
    struct Recheck {
        HWND window;
        ULONGLONG deadline;
    };

    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject,
                                    LONG idChild, DWORD thread, DWORD time);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    void Record(DWORD event, HWND hwnd);
    void ProcessPending();
    void ProcessRechecks();
    void Poll();
    void EnsureBaseline();
    void Observe(HWND hwnd, bool recheckIfUnsettled);
    // The window as the watches see it; `snap` must outlive the view.
    WindowView ViewOf(HWND hwnd, const WindowSnapshot& snap);
    void Report(const std::vector<int>& watchIds, HWND hwnd);
    void Debug(const wchar_t* format, ...) const;
    void InstallHooks();
    void RemoveHooks();

    HWND sink_ = nullptr;
    std::vector<UniqueWinEventHook> hooks_;
    WatchTracker tracker_;
    WindowFacts facts_;
    WindowOpenHandler handler_;
    std::int16_t level_ = 0;
    std::int16_t debugLevel_ = 0;
    unsigned generation_ = 0;  // changes whenever the watches do
    std::vector<HWND> pending_;
    bool pendingPosted_ = false;
    std::vector<Recheck> rechecks_;
};

}  // namespace kvl::win32
