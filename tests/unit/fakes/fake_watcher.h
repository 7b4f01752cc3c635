#pragma once
// Records what the program hands the window watcher.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_watcher.h"

namespace kvl::fakes {

class FakeWatcher final : public WindowWatcher {
public:
    void ClearWatches() override {
        watches.clear();
        ++clears;
    }
    void AddWatch(const Watch& watch) override { watches.push_back(watch); }
    void MonitorStrength(std::int16_t l) override { level = l; }
    void DebugLevel(std::int16_t l) override { debug = l; }
    void OnWindowOpen(WindowOpenHandler h) override { handler = std::move(h); }

    // Raises WindowOpen as the real watcher would.
    void Open(int watchId, WindowHandle window) {
        if (handler) handler(watchId, window);
    }

    std::vector<Watch> watches;
    int clears = 0;
    std::int16_t level = -1;
    std::int16_t debug = -1;
    WindowOpenHandler handler;
};

}  // namespace kvl::fakes
