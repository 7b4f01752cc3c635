#pragma once
// Monitors in and out of registry files (see reg_file.h): what an export holds, and which
// monitors of a file an import takes.
//
// An export is the store as the registry editor would export its key, with one difference:
// each monitor section comes after a line deleting it, so that a file double-clicked into
// the registry replaces a monitor of the same number whole. Merged into it, the file would
// leave the fields it does not hold (a program, a class, a caption pattern, a button) as
// they were, and a plain caption could become a pattern.
//
// An import reads a file under the parent of every program's store, so that the export of a
// copy of KVL run under another name (whose store is named after it) imports too.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "monitors/monitor.h"
#include "monitors/reg_file.h"
#include "platform/settings_store.h"

namespace kvl {

// General and every monitor section the store holds, in the registry's order of keys. A
// section with no values is left out, as the store reads it as missing anyway.
RegKeys StoreKeys(SettingsStore& store);

// The file's bytes for the store's keys, under the store's own key.
std::string ExportFile(std::string_view storeKey, const RegKeys& keys);

// The key above storeKey: the one a file is read under for an import.
std::string_view StoresParent(std::string_view storeKey);

// The monitors of one store in a file read under StoresParent(ourKey), read exactly as
// LoadSettings reads the store (the same defaults, the same stop at the first section without
// a description; General and values it does not know are not taken). Ours when our store's
// name holds any, else the first store in the registry's order that does.
struct FileMonitors {
    std::string storeKey;           // where they came from, in full; empty: no store holds any
    std::vector<Monitor> monitors;  // Monitor0 onwards
    int otherStores = 0;            // further stores of the file that hold monitors too
};
FileMonitors MonitorsInFile(const RegKeys& underParent, std::string_view ourKey);

// Why a monitor cannot be taken as it is; nothing when it can.
using MonitorCheck = std::function<std::optional<std::string>(const Monitor&)>;

struct MonitorImport {
    int found = 0;    // monitors given
    int added = 0;    // appended to the table
    int leftOut = 0;  // taken but with no free slot left of the 50
    // Refused by the check: their section's number, and why.
    std::vector<std::pair<int, std::string>> refused;
};

// Appends the monitors that pass `check` after those of the table, up to 50.
MonitorImport AppendMonitors(const std::vector<Monitor>& monitors, MonitorTable& table,
                             const MonitorCheck& check = {});

}  // namespace kvl
