#pragma once
// "Export Monitors..." and "Import Monitors...": the monitors in and out of registry files
// through the common dialogs. Each gives what to tell the user, empty when there is nothing
// to say (the dialog was cancelled, the export went well).

#include <string>

namespace kvl {

class Files;
class MainWindowPolicy;
class SettingsStore;

// The whole store (General and every monitor) as a registry file.
std::string ExportMonitors(SettingsStore& store, Files& files);

// The monitors of such a file after the policy's, up to 50, saved and watched as the
// editor's are; nothing else of the file is taken, and no monitor the editor would refuse.
std::string ImportMonitors(MainWindowPolicy& policy, SettingsStore& store, Files& files);

}  // namespace kvl
