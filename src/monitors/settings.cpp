#include "monitors/settings.h"

#include <algorithm>

#include "platform/registry_names.h"

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

bool WriteMonitor(SettingsStore& store, const std::string& section, const Monitor& m) {
    bool ok = true;
    for (const MonitorField& field : MonitorFields())
        if (IsWritten(field, m))
            ok &= WriteSetting(store, section, field.key, StoredText(field, m));
    return ok;
}

// A key the save just wrote for this monitor. A field it leaves out (one not set) is no key
// of its: a value stored there before would come back at the next load. Names compare as
// the registry compares them: a "description" written by hand is the very value the next
// Write lands in.
bool IsKeyOf(const Monitor& m, std::string_view key) {
    const auto fields = MonitorFields();
    return std::any_of(fields.begin(), fields.end(), [&](const MonitorField& field) {
        return SameRegistryName(field.key, key) && IsWritten(field, m);
    });
}

// A monitor is fully written: what else its section holds (a key of an older release, a
// value put there by hand, a field this monitor no longer sets) goes, so that a saved store
// holds exactly what the next load reads. Done only now, never before, so a failing step
// cannot cost a monitor its keys. False unless the section now holds the monitor exactly.
bool WriteMonitorExactly(SettingsStore& store, const std::string& section, const Monitor& m) {
    if (!WriteMonitor(store, section, m)) return false;
    bool ok = true;
    for (const std::string& key : store.Keys(section))
        if (!IsKeyOf(m, key)) ok &= store.DeleteKey(section, key);
    return ok;
}

}  // namespace

std::string MonitorSection(int slot) { return "Monitor" + std::to_string(slot); }

void LoadSettings(SettingsStore& store, Settings& settings) {
    settings.DebugMode = ReadInteger(store, kGeneral, "DebugMode", 0);

    const int strength = ReadInteger(store, kGeneral, "Strength", kDefaultStrength);
    settings.Strength = strength >= 0 && strength < static_cast<int>(kStrengthTable.size())
                            ? strength
                            : kDefaultStrength;

    for (int t = 0; t < kStoredSlots; ++t) {
        const std::string section = MonitorSection(t);
        Monitor& m = settings.Monitors[static_cast<std::size_t>(t)];
        // The first row is the description, and an empty one ends the table: the end
        // marker's other fields, and every later slot, keep what they held.
        const auto fields = MonitorFields();
        TakeStoredText(fields.front(), m, store.Read(section, fields.front().key));
        if (m.Description.empty()) break;
        for (const MonitorField& field : fields.subspan(1))
            TakeStoredText(field, m, store.Read(section, field.key));
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
