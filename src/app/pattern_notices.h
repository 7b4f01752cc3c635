#pragma once
// A monitor whose caption pattern does nothing is never left to do so without a word: the
// main window's list marks it, Recent Activity says why at start, and says so when a pattern
// gave up on a caption.

#include <optional>
#include <string>
#include <vector>

#include "app/activity.h"
#include "monitors/monitor.h"
#include "platform/clock.h"

namespace kvl {

// Why the monitor's caption pattern cannot be used (one that would not compile, or that a
// store of another release holds), or nothing when it can, or when it has none.
std::optional<std::string> MonitorPatternProblem(const Monitor& m);

// The main window's line for a monitor: "**" before a disabled one, and "(!) " before one
// whose caption pattern cannot be used.
std::string MonitorListLine(const Monitor& m);

// What Recent Activity says at start: one entry for each monitor whose pattern cannot be used.
std::vector<ActivityEvent> UnusablePatternEvents(const MonitorTable& table, LocalTime now);

// What it says the first time a monitor's pattern gives up on a caption.
ActivityEvent PatternTooLongEvent(const Monitor& m, std::string windowCaption, std::string program,
                                  LocalTime now);

}  // namespace kvl
