#include "app/activity.h"

#include "engine/caption_match.h"
#include "platform/path_name.h"
#include "platform/utf8.h"

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
        case ActionResult::HiddenByItsMonitor:
            return "keys not typed: the monitor hid the window first";
        case ActionResult::KeysWindowGone:
            return "keys not typed: the window was gone";
        case ActionResult::ButtonNotFound:
            return "button not found";
        case ActionResult::ButtonNotPressed:
            return "button not pressed: it was gone";
        case ActionResult::StateNotChanged:
            return "not done: Windows refused the window-state action";
        case ActionResult::HigherRights:
            return "skipped: the window runs with higher rights than KVL";
        case ActionResult::WindowGone:
            return "the window was gone before KVL could act";
        case ActionResult::StoppedMonitoringOff:
            return "stopped: monitoring was switched off";
        case ActionResult::StoppedEditing:
            return "stopped: the monitors were opened for editing";
        case ActionResult::StoppedDeleted:
            return "stopped: its monitor was deleted";
        case ActionResult::StoppedExit:
            return "stopped: KVL was ending";
    }
    return {};
}

std::string ResultText(ActionResult result, std::string_view detail) {
    if (detail.empty()) return ResultText(result);
    if (result == ActionResult::Done) return std::string(detail);
    return std::string(detail) + "; " + ResultText(result);
}

std::vector<std::string> ActivityCells(const ActivityEvent& event, std::string time) {
    return {std::move(time), event.description, event.windowCaption, event.program,
            event.note.empty() ? ResultText(event.result, event.detail) : event.note};
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

bool HigherRightsNotices::FirstFor(std::string_view program) {
    // Paths are told apart as Windows tells them apart: without regard to case.
    return told_.insert(FoldCase(program)).second;
}

namespace {

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        units += utf8::Next(text, pos, c) ? utf8::Utf16Units(c) : 1;  // a stray byte: one unit
    }
    return units;
}

// `text` in at most `units` UTF-16 units, ended by an ellipsis where something was cut.
std::string CutToUtf16(std::string_view text, std::size_t units) {
    if (Utf16Length(text) <= units) return std::string(text);
    constexpr std::string_view kEllipsis = "\u2026";  // one unit
    if (units == 0) return {};
    std::size_t used = 0, kept = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const std::size_t width = utf8::Next(text, pos, c) ? utf8::Utf16Units(c) : 1;
        if (used + width > units - 1) break;
        used += width;
        kept = pos;
    }
    return std::string(text.substr(0, kept)) + std::string(kEllipsis);
}

}  // namespace

std::string HigherRightsNotice(std::string_view windowCaption, std::string_view program) {
    const std::string_view name = program.empty() ? std::string_view("its program") : FileName(program);
    const auto text = [](std::string_view file, std::string_view caption) {
        return "To have me act on the windows of " + std::string(file) +
               ", start me as administrator: it runs with higher rights than I do, and Windows "
               "lets no input reach it from me. I left \"" +
               std::string(caption) + "\" alone.";
    };
    // The caption gives way first, then a file name too long to leave room for the advice.
    const std::size_t frame = Utf16Length(text("", ""));
    const std::string cutName = CutToUtf16(name, kBalloonTextLimit - frame);
    const std::size_t room = kBalloonTextLimit - frame - Utf16Length(cutName);
    return text(cutName, CutToUtf16(windowCaption, room));
}

}  // namespace kvl
