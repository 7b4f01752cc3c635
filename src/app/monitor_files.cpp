#include "app/monitor_files.h"

#include "app/main_window_policy.h"
#include "engine/caption_regex.h"
#include "engine/placement.h"
#include "monitors/monitor_transfer.h"
#include "platform/files.h"
#include "platform/registry_names.h"

namespace kvl {

namespace {

std::string Counted(int n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// The editor's own check, so that no import brings in a pattern it would refuse: such a
// monitor would never match, without a word.
// Nor a place it would refuse: such a monitor would leave its windows where they open.
std::optional<std::string> MonitorProblem(const Monitor& m) {
    if (m.CaptionPattern == 1)
        if (auto problem = CaptionPatternProblem(m.Caption))
            return "I can't read its caption pattern: " + *problem + ".";
    return PlacementFieldProblem(m);
}

}  // namespace

std::string ExportMonitors(SettingsStore& store, Files& files) {
    const std::optional<std::string> path = files.ChooseFileToSave("Export Monitors", "KVL.reg");
    if (!path) return {};
    switch (files.WriteWholeFile(*path, ExportFile(store.KeyPath(), StoreKeys(store)))) {
        case FileWrite::Written:
            return {};
        case FileWrite::ReadOnly:
            return "I couldn't write your monitors to " + *path + ": the file is read-only.";
        case FileWrite::Failed:
            break;
    }
    return "I couldn't write your monitors to " + *path + ".";
}

std::string ImportMonitors(MainWindowPolicy& policy, SettingsStore& store, Files& files) {
    const std::optional<std::string> path = files.ChooseFileToOpen("Import Monitors");
    if (!path) return {};
    // One byte past the limit, so that a file too large is refused as such, not cut short.
    const RegReadLimits limits;
    const std::optional<std::string> bytes = files.ReadFileStart(*path, limits.fileBytes + 1);
    if (!bytes) return "I can't open " + *path + ".";
    const std::string ourKey = store.KeyPath();
    const RegRead read =
        ReadRegFile(*bytes, StoresParent(ourKey), limits,
                    [&files](std::string_view text) { return files.AnsiToUtf8(text); });
    if (!read.refusal.empty()) return read.refusal;

    const FileMonitors found = MonitorsInFile(read.keys, ourKey);
    if (found.monitors.empty()) return "I found no monitors of mine in that file.";
    const MonitorImport import =
        AppendMonitors(found.monitors, policy.CurrentSettings().Monitors, MonitorProblem);
    if (import.added > 0) {
        // Saved in the store's safe order, then watched like any monitor the editor adds.
        policy.Accept();
        if (policy.onTableChanged) policy.onTableChanged();
    }

    std::string message = "I added " + Counted(import.added, "monitor", "monitors");
    if (!SameRegistryName(found.storeKey, ourKey) || found.otherStores > 0)
        message += " from " + found.storeKey;
    message += ".";
    if (found.otherStores == 1)
        message += " Another key of the file holds monitors too: I took only these.";
    else if (found.otherStores > 1)
        message += " " + std::to_string(found.otherStores) +
                   " other keys of the file hold monitors too: I took only these.";
    for (const auto& [number, why] : import.refused)
        message += " I left out Monitor" + std::to_string(number) + " of the file: " + why;
    if (import.leftOut > 0)
        message +=
            " " + std::to_string(import.leftOut) + " did not fit: I keep at most 50 monitors.";
    return message;
}

}  // namespace kvl
