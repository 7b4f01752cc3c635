// The File menu's own commands: Start with Windows, export and import of the monitors, and
// the guide.
#include "app/win32/frm_kvl.h"

#include "app/autostart.h"
#include "app/monitor_files.h"
#include "platform/path_name.h"
#include "platform/win32/own_modal.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Task Manager's "Enabled" and "Disabled" of each Run value.
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ThisProgramsFolder() {
    return std::wstring(FolderOf(std::wstring_view(win32::ThisProgramPath())));
}

}  // namespace

void frmKVL::mnuHelp_Click() {
    policy_.ShowHelp(services_.shell, win32::Narrow(helpCommand_), win32::Narrow(ThisProgramsFolder()));
}

// The tick follows the Run value, which the user or another copy of KVL may have changed
// since the menu last opened, and Task Manager's switch for it: it shows whether this copy
// starts, and a click sets it so. Where Task Manager has the start disabled, ticking enables
// it there again, since the user asked for the start, and says so.
void frmKVL::mnuStartWithWindows_Click() {
    if (CommandLineMode()) return;
    if (StartsWithWindows()) {
        if (!win32::DeleteUserValue(kRunKey, kAutostartValueName))
            ShowOwnedMessage(win32::Widen(kAutostartNotWrittenMessage));
        return;
    }
    if (!RunValueStartsThisProgram() &&
        !win32::WriteUserText(kRunKey, kAutostartValueName,
                              AutostartCommand(win32::Narrow(win32::ThisProgramPath())))) {
        ShowOwnedMessage(win32::Widen(kAutostartNotWrittenMessage));
        return;
    }
    if (ApprovedToStart(win32::ReadUserBinary(kApprovedKey, kAutostartValueName))) return;
    ShowOwnedMessage(win32::Widen(
        win32::WriteUserBinary(kApprovedKey, kAutostartValueName, ApprovedValue())
            ? kAutostartReapprovedMessage
            : kAutostartStillDisabledMessage));
}

bool frmKVL::RunValueStartsThisProgram() const {
    return StartsThisProgram(win32::ReadUserText(kRunKey, kAutostartValueName),
                             win32::Narrow(win32::ThisProgramPath()), IsFile);
}

bool frmKVL::StartsWithWindows() const {
    return RunValueStartsThisProgram() &&
           ApprovedToStart(win32::ReadUserBinary(kApprovedKey, kAutostartValueName));
}

void frmKVL::ShowAutostartState(HMENU menu) {
    if (GetMenuState(menu, mnuStartWithWindows, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
    CheckMenuItem(menu, mnuStartWithWindows,
                  MF_BYCOMMAND | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
}


// The file dialogs and what they end in are our own modal loops: reports wait for them.
void frmKVL::mnuExport_Click() {
    std::string message;
    {
        const win32::OwnModalLoop dialog;
        message = ExportMonitors(services_.store, services_.files);
    }
    if (!message.empty()) ShowOwnedMessage(win32::Widen(message));
}

void frmKVL::mnuImport_Click() {
    std::string message;
    {
        const win32::OwnModalLoop dialog;
        message = ImportMonitors(policy_, services_.store, services_.files);
    }
    if (!message.empty()) ShowOwnedMessage(win32::Widen(message));
}

}  // namespace kvl
