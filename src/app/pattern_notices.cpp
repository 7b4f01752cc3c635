#include "app/pattern_notices.h"

#include "engine/caption_regex.h"

namespace kvl {

std::optional<std::string> MonitorPatternProblem(const Monitor& m) {
    if (m.CaptionPattern != 1) return std::nullopt;
    return CaptionPatternProblem(m.Caption);
}

std::string MonitorListLine(const Monitor& m) {
    std::string line = m.Disable == 1 ? "**" : "";
    if (MonitorPatternProblem(m)) line += "(!) ";
    return line + m.Description;
}

std::vector<ActivityEvent> UnusablePatternEvents(const MonitorTable& table, LocalTime now) {
    std::vector<ActivityEvent> events;
    const int count = MonitorCount(table);
    for (int slot = 0; slot < count; ++slot) {
        const Monitor& m = table[static_cast<std::size_t>(slot)];
        if (auto problem = MonitorPatternProblem(m))
            events.push_back({.at = now,
                              .description = m.Description,
                              .note = "not watching: I can't read its caption pattern: " + *problem});
    }
    return events;
}

ActivityEvent PatternTooLongEvent(const Monitor& m, std::string windowCaption, std::string program,
                                  LocalTime now) {
    return {.at = now,
            .description = m.Description,
            .windowCaption = std::move(windowCaption),
            .program = std::move(program),
            .note = "not matched: the caption pattern took too long on this caption"};
}

}  // namespace kvl
