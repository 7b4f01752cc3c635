#include "monitors/settings.h"

#include <algorithm>

#include "platform/blanks.h"

namespace kvl {

namespace {

constexpr std::string_view kGeneral = "General";

std::int16_t ReadInteger(SettingsStore& store, std::string_view section, std::string_view key,
                         std::int16_t defaultValue) {
    auto text = store.Read(section, key);
    if (!text) return defaultValue;
    return ParseStoredInteger(*text).value_or(defaultValue);
}

std::string ReadText(SettingsStore& store, std::string_view section, std::string_view key,
                     std::string_view defaultValue) {
    return ReadSetting(store, section, key, defaultValue);
}

// The eleven keys of a monitor, in the order the store receives them.
bool WriteMonitor(SettingsStore& store, const std::string& section, const Monitor& m) {
    bool ok = true;
    ok &= WriteSetting(store, section, "Description", m.Description);
    ok &= WriteSetting(store, section, "Disable", m.Disable);
    ok &= WriteSetting(store, section, "Caption", m.Caption);
    ok &= WriteSetting(store, section, "ExactMatch", m.ExactMatch);
    ok &= WriteSetting(store, section, "WindowState", m.WindowState);
    for (int k = 0; k < 3; ++k)
        ok &= WriteSetting(store, section, "SendKeysPause" + std::to_string(k),
                           m.SendKeysPause[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 3; ++k)
        ok &= WriteSetting(store, section, "SendKeys" + std::to_string(k),
                           m.SendKeys[static_cast<std::size_t>(k)]);
    return ok;
}

bool IsMonitorKey(std::string_view key) {
    static constexpr std::string_view kKeys[] = {
        "Description", "Disable",        "Caption",        "ExactMatch",
        "WindowState", "SendKeysPause0", "SendKeysPause1", "SendKeysPause2",
        "SendKeys0",   "SendKeys1",      "SendKeys2"};
    // The registry compares value names without regard to case, and so must we: a
    // "description" written by hand is the very value the next Write lands in.
    auto same = [key](std::string_view name) {
        if (name.size() != key.size()) return false;
        for (std::size_t k = 0; k < name.size(); ++k) {
            auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
            if (lower(name[k]) != lower(key[k])) return false;
        }
        return true;
    };
    return std::any_of(std::begin(kKeys), std::end(kKeys), same);
}

// A monitor is fully written: what else its section holds (a key of an older release, a
// value put there by hand) goes, so that a saved store holds exactly what the next load
// reads. Done only now, never before, so a failing step cannot cost a monitor its keys.
bool WriteMonitorExactly(SettingsStore& store, const std::string& section, const Monitor& m) {
    if (!WriteMonitor(store, section, m)) return false;
    for (const std::string& key : store.Keys(section))
        if (!IsMonitorKey(key)) store.DeleteKey(section, key);
    return true;
}

}  // namespace

std::string MonitorSection(int slot) { return "Monitor" + std::to_string(slot); }

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

void LoadSettings(SettingsStore& store, Settings& settings) {
    settings.DebugMode = ReadInteger(store, kGeneral, "DebugMode", 0);

    const int strength = ReadInteger(store, kGeneral, "Strength", kDefaultStrength);
    settings.Strength = strength >= 0 && strength < static_cast<int>(kStrengthTable.size())
                            ? strength
                            : kDefaultStrength;

    for (int t = 0; t < kStoredSlots; ++t) {
        const std::string section = MonitorSection(t);
        Monitor& m = settings.Monitors[static_cast<std::size_t>(t)];
        m.Description = ReadText(store, section, "Description", "");
        if (m.Description.empty()) break;
        m.Disable = ReadInteger(store, section, "Disable", 0);
        m.Caption = ReadText(store, section, "Caption", "");
        m.ExactMatch = ReadInteger(store, section, "ExactMatch", 0);
        m.WindowState = ReadText(store, section, "WindowState", "Restore");
        for (std::size_t k = 0; k < 3; ++k)
            m.SendKeysPause[k] =
                ReadInteger(store, section, "SendKeysPause" + std::to_string(k), 0);
        for (std::size_t k = 0; k < 3; ++k)
            m.SendKeys[k] = ReadText(store, section, "SendKeys" + std::to_string(k), "");
    }
}

void SaveSettings(SettingsStore& store, const Settings& settings) {
    WriteSetting(store, kGeneral, "Strength", settings.Strength);

    const MonitorTable& table = settings.Monitors;
    const int end = MonitorCount(table);

    // unsaved[s]: section s holds a kept monitor that has not yet been written to its new
    // section. Such a section is never overwritten or deleted, so whatever step fails, every
    // monitor stays in the store, at worst twice.
    std::array<bool, kStoredSlots> unsaved{};
    for (int s = 0; s < end; ++s) unsaved[static_cast<std::size_t>(s)] = table[s].Deleted == 0;

    int j = 0;
    for (int i = 0; i < end; ++i) {
        const Monitor& m = table[static_cast<std::size_t>(i)];
        if (m.Deleted != 0) continue;
        if (i == j) {
            // Rewritten in place: a failed key keeps this same monitor's stored value.
            WriteMonitorExactly(store, MonitorSection(j), m);
            unsaved[static_cast<std::size_t>(i)] = false;
        } else if (!unsaved[static_cast<std::size_t>(j)]) {
            // Not deleted first: should a write fail, the loader still reads on past j.
            if (WriteMonitorExactly(store, MonitorSection(j), m))
                unsaved[static_cast<std::size_t>(i)] = false;
        }
        ++j;
    }

    // What lies past the kept monitors, up to the end marker's section, goes; but never a
    // section below one that still holds an unsaved monitor, or the loader would stop short.
    int first = j;
    for (int s = 0; s < kStoredSlots; ++s)
        if (unsaved[static_cast<std::size_t>(s)]) first = std::max(first, s + 1);
    const int last = std::min(end, kStoredSlots - 1);
    for (int s = first; s <= last; ++s) {
        // The end marker's section normally holds nothing. When the table has grown onto
        // it, it can hold a monitor stored beyond an old gap: that one now becomes
        // reachable, and is kept rather than deleted unseen.
        if (s == end && !ReadText(store, MonitorSection(s), "Description", "").empty()) continue;
        DeleteSettingSection(store, MonitorSection(s));
    }
}

}  // namespace kvl
