#include "editor/editor_fields.h"

#include "engine/caption_regex.h"
#include "engine/placement.h"
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
    const auto split = [](std::string_view pair, std::string& first, std::string& second) {
        const std::size_t comma = pair.find(',');
        first = std::string(pair.substr(0, comma));
        second = comma == std::string_view::npos ? std::string() : std::string(pair.substr(comma + 1));
    };
    split(monitor.Position, f.PositionX, f.PositionY);
    split(monitor.Size, f.SizeW, f.SizeH);
    f.Display = monitor.Display;
    f.OnTop = monitor.OnTop == 1 ? 1 : 0;
    f.Opacity = monitor.Opacity == 0 ? std::string() : std::to_string(monitor.Opacity);
    f.RememberPlace = monitor.RememberPlace == 1 ? 1 : 0;
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

    // Both boxes of a pair empty: not set. One of them alone is as wrong as a word in it.
    const auto pair = [](std::string_view a, std::string_view b) {
        a = TrimBlanks(a);
        b = TrimBlanks(b);
        return a.empty() && b.empty() ? std::string() : std::string(a) + "," + std::string(b);
    };
    using PlaceBox = StoreResult::PlaceBox;
    const auto badPlace = [](PlaceBox box, std::string_view message) {
        StoreResult r{StoreResult::Outcome::BadPlace};
        r.badPlace = box;
        r.placeProblem = std::string(message);
        return r;
    };
    const std::string position = pair(fields.PositionX, fields.PositionY);
    const std::string size = pair(fields.SizeW, fields.SizeH);
    const std::string display = StoredDisplay(fields.Display);
    const std::string_view opacityText = TrimBlanks(fields.Opacity);
    std::int16_t opacity = 0;
    if (!position.empty() && !ParsePosition(position))
        return badPlace(PlaceBox::Position, kBadPositionMessage);
    if (!size.empty() && !ParseSize(size)) return badPlace(PlaceBox::Size, kBadSizeMessage);
    if (!ParseDisplay(display)) return badPlace(PlaceBox::Display, kBadDisplayMessage);
    if (!opacityText.empty()) {
        const auto percent = ParseOpacity(opacityText);
        if (!percent) return badPlace(PlaceBox::Opacity, kBadOpacityMessage);
        opacity = static_cast<std::int16_t>(*percent);
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
    m.Position = position;
    m.Size = size;
    m.Display = display;
    m.OnTop = fields.OnTop == 1 ? 1 : 0;
    m.Opacity = opacity;
    // A place noted for a monitor that no longer asks for it would come back unasked.
    m.RememberPlace = fields.RememberPlace == 1 ? 1 : 0;
    if (m.RememberPlace == 0) m.RememberedPlace.clear();
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

namespace kvl {

namespace {

constexpr std::string_view kOwnDisplay = "(its own)";

}  // namespace

std::vector<std::string> DisplayChoices(const std::vector<DisplayInfo>& displays) {
    std::vector<std::string> choices{std::string(kOwnDisplay), "primary", "pointer"};
    for (const DisplayInfo& d : displays)
        choices.push_back(std::to_string(d.number) + " (" + std::to_string(d.bounds.Width()) +
                          " x " + std::to_string(d.bounds.Height()) + ")");
    return choices;
}

std::string StoredDisplay(std::string_view shown) {
    shown = TrimBlanks(shown);
    if (shown == kOwnDisplay) return {};
    // "2 (1280 x 1024)": the number before the size.
    if (!shown.empty() && shown.front() >= '0' && shown.front() <= '9') {
        const std::size_t space = shown.find(' ');
        if (space != std::string_view::npos && shown.substr(space).find('(') != std::string_view::npos)
            return std::string(shown.substr(0, space));
    }
    return std::string(shown);
}

std::string ShownDisplay(std::string_view stored, const std::vector<DisplayInfo>& displays) {
    if (TrimBlanks(stored).empty()) return std::string(kOwnDisplay);
    for (const std::string& choice : DisplayChoices(displays))
        if (StoredDisplay(choice) == stored) return choice;
    return std::string(stored);
}

void TakePlace(EditorFields& fields, const std::vector<DisplayInfo>& displays,
               const WindowPlaceFacts& window) {
    const std::optional<RememberedPlace> place = PlaceToRemember(displays, window);
    if (!place) return;
    fields.PositionX = std::to_string(place->x);
    fields.PositionY = std::to_string(place->y);
    fields.SizeW = std::to_string(place->width);
    fields.SizeH = std::to_string(place->height);
    fields.Display = ShownDisplay(std::to_string(place->display), displays);
}

}  // namespace kvl
