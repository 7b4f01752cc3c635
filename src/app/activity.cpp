#include "app/activity.h"

#include "engine/caption_match.h"

namespace kvl {

void ActivityLog::Add(ActivityEvent event) {
    events_.push_front(std::move(event));
    if (events_.size() > kCapacity) events_.pop_back();
}

std::optional<std::string> RecentActivity::Record(const ActivityEvent& event) {
    log_.Add(event);
    if (event.result == ActionResult::HigherRights && notices_.FirstFor(event.program))
        return HigherRightsNotice(event.windowCaption, event.program);
    return std::nullopt;
}

std::string ResultText(ActionResult result) {
    switch (result) {
        case ActionResult::Done:
            return "done";
        case ActionResult::KeysNotTyped:
            return "keys not typed: the window was not in front";
        case ActionResult::KeysRefused:
            return "keys not typed: Windows refused them";
        case ActionResult::NoLongerMatches:
            return "the window no longer matches";
        case ActionResult::KeysWindowGone:
            return "keys not typed: the window was gone";
        case ActionResult::ButtonNotFound:
            return "button not found";
        case ActionResult::ButtonNotPressed:
            return "button not pressed: it was gone";
        case ActionResult::HigherRights:
            return "skipped: the window runs with higher rights than KVL";
        case ActionResult::WindowGone:
            return "the window was gone before KVL could act";
    }
    return {};
}

std::vector<std::string> ActivityCells(const ActivityEvent& event, std::string time) {
    return {std::move(time), event.description, event.windowCaption, event.program,
            ResultText(event.result)};
}

std::string TabSeparated(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (k > 0) text += '\t';
            for (char c : row[k]) text += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
        }
        text += "\r\n";
    }
    return text;
}

std::string_view ProgramName(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool HigherRightsNotices::FirstFor(std::string_view program) {
    // Paths are told apart as Windows tells them apart: without regard to case.
    return told_.insert(FoldCase(program)).second;
}

std::string HigherRightsNotice(std::string_view windowCaption, std::string_view program) {
    const std::string_view name = program.empty() ? std::string_view("its program") : ProgramName(program);
    return "I left \"" + std::string(windowCaption) + "\" alone: " + std::string(name) +
           " runs with higher rights than I do, and Windows lets no input reach it from me. "
           "To have me act on its windows, start me as administrator.";
}

}  // namespace kvl
