#pragma once
// A monitor is one watch rule: which window to look for and what to do to it.

#include <array>
#include <cstdint>
#include <string>

namespace kvl {

struct Monitor {
    std::string Description;  // empty: the slot holds no monitor and ends the table
    std::int16_t Disable = 0;
    std::int16_t Deleted = 0;  // memory only; the next save leaves the record out
    std::string Caption;
    std::int16_t ExactMatch = 0;
    std::string WindowState;
    std::array<std::int16_t, 3> SendKeysPause{};
    std::array<std::string, 3> SendKeys;
    // Which windows, beyond their caption; empty narrows nothing.
    std::string Program;      // the owning program's file name, or its path with a backslash
    std::string WindowClass;  // the whole class name
    std::int16_t CaptionPattern = 0;  // 1: Caption is a regular expression, ExactMatch aside
    // A push button of the window to press after everything else; empty: none.
    std::string PressButton;
    // Where to put the window; empty (or 0) leaves it where it opened.
    std::string Position;  // "X,Y": pixels from the work area's corner, "25%" or "center"
    std::string Size;      // "W,H": pixels or percentages of the work area
    std::string Display;   // "", "primary", "pointer" or a display's number
    std::int16_t OnTop = 0;
    std::int16_t Opacity = 0;  // 20 to 100 percent
    std::int16_t RememberPlace = 0;  // 1: the place the user last left a window of it wins
    std::string RememberedPlace;     // "n,X,Y,W,H"

    bool operator==(const Monitor&) const = default;
};

// 51 slots: 0 to 49 persist, 50 is a spare that no load, save or registration reaches.
inline constexpr int kTableSlots = 51;
inline constexpr int kStoredSlots = 50;

using MonitorTable = std::array<Monitor, kTableSlots>;

// Number of monitors in the table: the occupied slots form a prefix ended by the first
// empty Description.
int MonitorCount(const MonitorTable& table);

// The slot for a new monitor: the first empty slot of 0 to 49, else the spare slot 50.
int FirstFreeMonitorSlot(const MonitorTable& table);

void ClearTable(MonitorTable& table);

}  // namespace kvl
