#include "editor/editor_fields.h"

#include "engine/caption_regex.h"
#include "platform/blanks.h"
#include "platform/path_name.h"

namespace kvl {

std::string NumberedDescription(int slot) {
    return "(Monitor" + std::to_string(slot) + ")";
}

std::string BadPatternMessage(std::string_view problem) {
    return "I can't read that caption pattern: " + std::string(problem) + ".";
}

std::optional<std::int16_t> ParsePauseSeconds(std::string_view text) {
    text = TrimBlanks(text);

    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    if (point != std::string_view::npos) {
        // Only a fraction of zeros is whole: "2.5" would need rounding, and a pause the
        // user did not write is worse than a message.
        for (char c : text.substr(point + 1))
            if (c != '0') return std::nullopt;
    }
    if (whole.empty()) return std::nullopt;
    long value = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32767) return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

EditorFields NewMonitorFields() {
    EditorFields f;
    f.Name = std::string(kNewMonitorName);
    f.WindowState = std::string(kWindowStateChoices[0]);
    f.SendKeysPause.fill(std::string(kPauseChoices[0]));
    return f;
}

EditorFields FieldsOfMonitor(const Monitor& monitor, int index) {
    EditorFields f;
    f.Name = monitor.Description.empty() ? NumberedDescription(index) : monitor.Description;
    f.WindowState = monitor.WindowState;
    f.Caption = monitor.Caption;
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        f.SendKeys[k] = monitor.SendKeys[k];
        f.SendKeysPause[k] = std::to_string(monitor.SendKeysPause[k]);
    }
    f.Disable = monitor.Disable;
    f.ExactMatch = monitor.ExactMatch;
    f.Program = monitor.Program;
    f.WindowClass = monitor.WindowClass;
    f.PressButton = monitor.PressButton;
    f.CaptionPattern = monitor.CaptionPattern == 1 ? 1 : 0;
    return f;
}

StoreResult StoreFields(EditorFields& fields, int& recIndex, MonitorTable& table,
                        int editableSteps) {
    std::array<std::int16_t, kKeystrokeSteps> pauses{};
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        auto seconds = ParsePauseSeconds(fields.SendKeysPause[k]);
        if (!seconds && static_cast<int>(k) >= editableSteps)
            seconds = ParseStoredInteger(fields.SendKeysPause[k]);
        if (!seconds) return {StoreResult::Outcome::BadPause, -1, static_cast<int>(k)};
        pauses[k] = *seconds;
    }
    if (fields.CaptionPattern == 1) {
        if (auto problem = CaptionPatternProblem(fields.Caption))
            return {StoreResult::Outcome::BadPattern, -1, -1, std::move(*problem)};
    }

    int slot = recIndex;
    if (slot < 0 || slot >= MonitorCount(table)) {
        slot = FirstFreeMonitorSlot(table);
        // Slot 50 is never saved: a monitor put there would vanish without a word.
        if (slot >= kStoredSlots) return {StoreResult::Outcome::TableFull, -1, -1};
    }
    recIndex = slot;

    if (fields.Name.empty()) fields.Name = NumberedDescription(slot);
    Monitor& m = table[static_cast<std::size_t>(slot)];
    m.Description = fields.Name;
    m.Disable = fields.Disable;
    m.Caption = fields.Caption;
    m.ExactMatch = fields.ExactMatch;
    m.WindowState = fields.WindowState;
    m.SendKeysPause = pauses;
    m.SendKeys = fields.SendKeys;
    m.Program = std::string(TrimBlanks(fields.Program));
    m.WindowClass = std::string(TrimBlanks(fields.WindowClass));
    m.PressButton = std::string(TrimBlanks(fields.PressButton));
    m.CaptionPattern = fields.CaptionPattern == 1 ? 1 : 0;
    return {StoreResult::Outcome::Stored, slot, -1, {}};
}

int SlotAfterDeletion(int recIndex, int deleted) {
    if (recIndex < 0 || deleted < 0 || recIndex < deleted) return recIndex;
    if (recIndex == deleted) return -1;
    return recIndex - 1;
}

bool CaptionListKeeps(std::string_view caption) {
    return !caption.empty() && caption != kMainWindowCaption && caption != kEditorCaption;
}

std::string_view ProgramFileName(std::string_view path) { return FileName(path); }

}  // namespace kvl
