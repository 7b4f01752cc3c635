#include "app/activity.h"

#include "engine/caption_match.h"

namespace kvl {

void ActivityLog::Add(ActivityEvent event) {
    events_.push_front(std::move(event));
    if (events_.size() > kCapacity) events_.pop_back();
}

std::string ResultText(ActionResult result) {
    switch (result) {
        case ActionResult::Done:
            return "done";
        case ActionResult::KeysNotTyped:
            return "keys not typed: the window was not in front";
        case ActionResult::HigherRights:
            return "skipped: the window runs with higher rights than KVL";
    }
    return {};
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
