#pragma once
// What a watch may ask of a window besides its caption: its class, read once per window, and
// the path of the program that owns it, read once per process. A window's class and process
// never change, so each is read when first asked for and kept until the window goes.

#include <windows.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/win32/handles.h"
#include "platform/window_handle.h"

namespace kvl::win32 {

class WindowFacts {
public:
    struct Facts {
        std::string windowClass;
        std::string program;  // empty when it cannot be read
    };

    // The window's facts, reading only those asked for that are not known yet.
    const Facts& Of(HWND window, bool wantClass, bool wantProgram);
    void Forget(HWND window) { windows_.erase(window); }
    // After a full enumeration: windows not seen are gone, and so is every process that has
    // no window left here.
    void KeepOnly(const std::unordered_set<WindowHandle>& alive);
    // No watch asks for programs any more: let every process go.
    void ForgetPrograms();
    void Clear();

    std::size_t KnownWindows() const { return windows_.size(); }
    std::size_t KnownProcesses() const { return processes_.size(); }

private:
    struct Window {
        Facts facts;
        bool classRead = false;
        bool programRead = false;
        DWORD processId = 0;
    };
    // The process stays open while it is known: as long as we hold it, the system gives its
    // id to no other process, so an id found here always means the process that was read,
    // and an id let go is read afresh when it comes back.
    struct Process {
        UniqueHandle handle;
        std::string program;
    };

    const std::string& ProgramOf(DWORD processId, bool& known);

    std::unordered_map<HWND, Window> windows_;
    std::unordered_map<DWORD, Process> processes_;
};

}  // namespace kvl::win32
