#pragma once
// The monitor table and the general options, and how they are kept in the settings store.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "monitors/monitor.h"
#include "monitors/monitor_fields.h"
#include "monitors/strength.h"
#include "platform/settings_store.h"

namespace kvl {

struct Settings {
    MonitorTable Monitors;
    int Strength = kDefaultStrength;  // selected entry of the strength table, -1 for none
    std::int16_t DebugMode = 0;
};

std::string MonitorSection(int slot);

// Reads the options and the monitors. Values that cannot be read fall back to the key's
// default.
void LoadSettings(SettingsStore& store, Settings& settings);

// Writes "Strength" and the kept monitors as Monitor0 onwards without gaps. Failing steps
// are skipped, and the writes are ordered so that no monitor stored before the save is
// missing from the store at any moment, whichever step fails.
void SaveSettings(SettingsStore& store, const Settings& settings);

}  // namespace kvl
