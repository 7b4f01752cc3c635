#include "monitors/monitor_fields.h"

#include <array>

#include "platform/blanks.h"

namespace kvl {

namespace {

using Presence = MonitorField::Presence;

template <std::size_t K>
std::string& SendKeysOf(Monitor& m) {
    return m.SendKeys[K];
}
template <std::size_t K>
std::int16_t& SendKeysPauseOf(Monitor& m) {
    return m.SendKeysPause[K];
}

// clang-format off
constexpr std::array kFields{
    MonitorField{"Description", "", Presence::Always,
                 [](Monitor& m) -> std::string& { return m.Description; }},
    MonitorField{"Disable", "0", Presence::Always, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.Disable; }},
    MonitorField{"Caption", "", Presence::Always,
                 [](Monitor& m) -> std::string& { return m.Caption; }},
    MonitorField{"ExactMatch", "0", Presence::Always, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.ExactMatch; }},
    MonitorField{"WindowState", "Restore", Presence::Always,
                 [](Monitor& m) -> std::string& { return m.WindowState; }},
    MonitorField{"SendKeysPause0", "0", Presence::Always, nullptr, SendKeysPauseOf<0>},
    MonitorField{"SendKeysPause1", "0", Presence::Always, nullptr, SendKeysPauseOf<1>},
    MonitorField{"SendKeysPause2", "0", Presence::Always, nullptr, SendKeysPauseOf<2>},
    MonitorField{"SendKeys0", "", Presence::Always, SendKeysOf<0>},
    MonitorField{"SendKeys1", "", Presence::Always, SendKeysOf<1>},
    MonitorField{"SendKeys2", "", Presence::Always, SendKeysOf<2>},
    // Beyond the eleven: absent from the monitors that do not use them, so that a store
    // written before them is written back as it was.
    MonitorField{"Program", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.Program; }},
    MonitorField{"WindowClass", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.WindowClass; }},
    MonitorField{"CaptionPattern", "0", Presence::WhenSet, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.CaptionPattern; }},
    MonitorField{"PressButton", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.PressButton; }},
    MonitorField{"Position", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.Position; }},
    MonitorField{"Size", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.Size; }},
    MonitorField{"Display", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.Display; }},
    MonitorField{"OnTop", "0", Presence::WhenSet, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.OnTop; }},
    MonitorField{"Opacity", "0", Presence::WhenSet, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.Opacity; }},
    MonitorField{"RememberPlace", "0", Presence::WhenSet, nullptr,
                 [](Monitor& m) -> std::int16_t& { return m.RememberPlace; }},
    MonitorField{"RememberedPlace", "", Presence::WhenSet,
                 [](Monitor& m) -> std::string& { return m.RememberedPlace; }},
};
// clang-format on

}  // namespace

std::span<const MonitorField> MonitorFields() {
    return kFields;
}

std::optional<std::int16_t> ParseStoredInteger(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32768) return std::nullopt;  // stops long digit runs from overflowing
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// The accessors only hand out a reference; nothing is written through it here.
std::string StoredText(const MonitorField& field, const Monitor& monitor) {
    Monitor& m = const_cast<Monitor&>(monitor);
    if (field.text) return field.text(m);
    return std::to_string(field.integer(m));
}

void TakeStoredText(const MonitorField& field, Monitor& monitor,
                    const std::optional<std::string>& stored) {
    if (field.text) {
        field.text(monitor) = stored ? *stored : std::string(field.missing);
        return;
    }
    std::optional<std::int16_t> value;
    if (stored) value = ParseStoredInteger(*stored);
    if (!value) value = ParseStoredInteger(field.missing);
    field.integer(monitor) = value.value_or(0);
}

bool IsWritten(const MonitorField& field, const Monitor& monitor) {
    return field.presence == Presence::Always || StoredText(field, monitor) != field.missing;
}

}  // namespace kvl
