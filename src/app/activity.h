#pragma once
// Recent activity: what KVL did to the windows it found, and why it did nothing, kept in
// memory only (no file is ever written) for the "Recent Activity" window.

#include <cstddef>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/action_plan.h"
#include "platform/clock.h"

namespace kvl {

struct ActivityEvent {
    LocalTime at;
    std::string description;    // the monitor's
    std::string windowCaption;
    std::string program;  // the window's program, a full path; empty when unknown
    ActionResult result = ActionResult::Done;
    // The monitor fired: the icon flashes for it and "Last triggered" names its time. A window
    // gone or changed by its turn is no trigger.
    bool triggered = false;
    std::string detail;  // what the run did beyond its result: where it placed the window
    // Said in the result's place by an event that is no run's end (a caption pattern that
    // cannot be used, or gave up on a caption).
    std::string note = {};

    bool operator==(const ActivityEvent&) const = default;
};

// The last kCapacity events, newest first.
class ActivityLog {
public:
    static constexpr std::size_t kCapacity = 500;

    void Add(ActivityEvent event);
    std::size_t Size() const { return events_.size(); }
    // 0 is the newest.
    const ActivityEvent& operator[](std::size_t index) const { return events_[index]; }

private:
    std::deque<ActivityEvent> events_;
};

// What the result column says.
std::string ResultText(ActionResult result);
// And with what else the run did: "placed at 100,50 400 x 300 on display 2" stands for done.
std::string ResultText(ActionResult result, std::string_view detail);

// An event's row: time (already written the user's way), monitor, window, program, result.
std::vector<std::string> ActivityCells(const ActivityEvent& event, std::string time);

// Rows as the clipboard takes them for a spreadsheet: cells parted by tabs, each row ended
// by CR LF; a tab or line break inside a cell (a caption may hold one) becomes a space.
std::string TabSeparated(const std::vector<std::vector<std::string>>& rows);

// Whether to tell the user of a window KVL may not touch: once per program in a run, or
// the notices would follow every window of a program that keeps opening them.
class HigherRightsNotices {
public:
    bool FirstFor(std::string_view program);

private:
    std::set<std::u32string> told_;  // folded
};

// What KVL did lately, and whom it told of windows it may not touch.
class RecentActivity {
public:
    // A run on a window ended. What to tell the user in a balloon, if anything: a window of
    // higher rights, once per program in a run.
    std::optional<std::string> Record(const ActivityEvent& event);
    const ActivityLog& Log() const { return log_; }

private:
    ActivityLog log_;
    HigherRightsNotices notices_;
};

// The longest text a notification balloon shows, in UTF-16 units; the shell drops the rest.
inline constexpr std::size_t kBalloonTextLimit = 255;

// The balloon's text for such a window, within kBalloonTextLimit: what to do comes first and
// the window's caption last, cut short (never inside a character) where the text is too long.
std::string HigherRightsNotice(std::string_view windowCaption, std::string_view program);

}  // namespace kvl
