#pragma once
// Whether the program's thread is inside a modal loop of its own just now: a menu (any of our
// windows' menus, the tray's pop-ups, a system menu), a window being moved or sized, or a
// message box or file dialog of ours. Keys typed then would land in that loop, so the actions
// on other programs' windows wait for it to end.

namespace kvl::win32 {

// Held around each message box and file dialog of ours; the system tells the rest.
class OwnModalLoop {
public:
    OwnModalLoop() { ++depth_; }
    ~OwnModalLoop() { --depth_; }
    OwnModalLoop(const OwnModalLoop&) = delete;
    OwnModalLoop& operator=(const OwnModalLoop&) = delete;

    static bool Running() { return depth_ > 0; }

private:
    static inline thread_local int depth_ = 0;
};

// A menu, a move or size, or an OwnModalLoop, on the calling thread.
bool InModalLoop();

}  // namespace kvl::win32
