// KVL run from a folder where someone has planted files named like system ones, as anyone
// can in a Downloads folder: none of them may ever be loaded or started.

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::WaitFor;

constexpr wchar_t kMainCaption[] = L"Korvel 3.0";
// Those KVL takes at run time, and one it imports by name but gets from the side-by-side store.
const wchar_t* const kPlantedDlls[] = {L"dwmapi.dll", L"msimg32.dll", L"comdlg32.dll",
                                       L"comctl32.dll"};

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The full paths of the modules a process has loaded, in small letters.
std::vector<std::wstring> ModulesOf(HANDLE process) {
    HMODULE modules[512];
    DWORD bytes = 0;
    std::vector<std::wstring> paths;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return paths;
    for (DWORD k = 0; k < bytes / sizeof(HMODULE) && k < 512; ++k) {
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameExW(process, modules[k], path, MAX_PATH);
        if (n > 0) paths.push_back(Lower(std::wstring(path, n)));
    }
    return paths;
}

void Press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        in.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A click on the middle of a window's caption bar, which brings it to the front.
void ClickCaption(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    SetCursorPos((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

// Clicks the window's caption until it is in front.
bool ClickToFront(HWND w) {
    return WaitFor([&] {
        if (GetForegroundWindow() != w) ClickCaption(w);
        return GetForegroundWindow() == w;
    }, 10000);
}

class PlantedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring build = wintest::ExeDir() + L"\\";
        Copy(build + L"KVL.exe", program);
        Copy(build + L"kvlhelp.doc", folder + L"\\kvlhelp.doc");
        for (const wchar_t* dll : kPlantedDlls) Copy(build + L"kvl_marker.dll", folder + L"\\" + dll);
        Copy(build + L"kvl_marker_exe.exe", folder + L"\\write.exe");
    }
    void TearDown() override {
        kvl.Kill();
        for (const std::wstring& file : copied) {
            DeleteFileW((file + L".loaded").c_str());
            DeleteFileW((file + L".started").c_str());
            // A program just ended may hold its file for a moment.
            WaitFor([&] { return DeleteFileW(file.c_str()) || !Exists(file); }, 3000);
        }
        RemoveDirectoryW(folder.c_str());
    }
    void Copy(const std::wstring& from, const std::wstring& to) {
        ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << win32::Narrow(from);
        copied.push_back(to);
    }
    HWND StartKvl() {
        EXPECT_TRUE(kvl.Start(L"\"" + program + L"\""));
        return wintest::AwaitShownWindow(kMainCaption, kvl.Id(), 15000);
    }
    bool Noted(const wchar_t* planted, const wchar_t* note) const {
        return Exists(folder + L"\\" + planted + note);
    }

    const std::wstring folder = wintest::ExeDir() + L"\\" + wintest::UniqueName(L"planted");
    const std::wstring app = wintest::UniqueName(L"KVLPlanted");
    const std::wstring program = folder + L"\\" + app + L".exe";
    wintest::ScopedStore store{app};
    std::vector<std::wstring> copied;
    ChildProcess kvl;
};

TEST_F(PlantedFolder, ItsDllsAreNeverLoadedAndKvlWorksWithTheSystemsOwn) {
    const std::wstring caption = wintest::UniqueName(L"Planted target ");
    ASSERT_TRUE(store.Store().Write("Monitor0", "Description", "hide it"));
    ASSERT_TRUE(store.Store().Write("Monitor0", "Caption", win32::Narrow(caption)));
    ASSERT_TRUE(store.Store().Write("Monitor0", "WindowState", "Hide"));
    HWND main = StartKvl();
    ASSERT_TRUE(main);
    // The styled background is painted with the gradient fill...
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    // ...and the watcher asks the window manager about every window it looks at.
    ChildProcess target;
    ASSERT_TRUE(target.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"open:" + caption +
                             L"\""));
    HWND w = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (w = wintest::FindWindowByCaption(caption)) != nullptr; },
                        15000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, 10000));

    for (const wchar_t* dll : kPlantedDlls) EXPECT_FALSE(Noted(dll, L".loaded")) << win32::Narrow(dll);
    // Nothing of the folder is loaded but KVL itself; the libraries it takes at run time came
    // from the system folder.
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring systemFolder = Lower(std::wstring(system, n)) + L"\\";
    const std::vector<std::wstring> modules = ModulesOf(kvl.Process());
    for (const std::wstring& path : modules) {
        if (path == Lower(program)) continue;
        EXPECT_NE(path.rfind(Lower(folder), 0), 0u) << win32::Narrow(path);
    }
    for (const wchar_t* dll : {L"dwmapi.dll", L"msimg32.dll"})
        EXPECT_NE(std::find(modules.begin(), modules.end(), systemFolder + dll), modules.end())
            << win32::Narrow(dll);
    EXPECT_TRUE(kvl.Running());
}

// Named, with CALLBACK: a lambda has the wrong calling convention on i686.
BOOL CALLBACK FindGuideWindow(HWND h, LPARAM lp) {
    if (wintest::CaptionOf(h).find(L"kvlhelp") == std::wstring::npos) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

TEST_F(PlantedFolder, HelpStartsTheSystemsWordProcessorOnTheGuideBesideKvl) {
    HWND main = StartKvl();
    ASSERT_TRUE(main);
    // In front, as after the user's click on it; then Alt+H, K: "&Help", "&KVL Help".
    ASSERT_TRUE(ClickToFront(main));
    Press({VK_MENU, 'H'});
    Press({'K'});

    // The word processor shows the document's name in its caption.
    HWND guide = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        HWND found = nullptr;
        EnumWindows(FindGuideWindow, reinterpret_cast<LPARAM>(&found));
        return (guide = found) != nullptr;
    }, 20000));
    if (guide) wintest::KillProcessOf(guide);
    EXPECT_FALSE(Noted(L"write.exe", L".started"));
    EXPECT_TRUE(kvl.Running());
}

// The common file dialogs come from the system's own library, never from one beside KVL.
TEST_F(PlantedFolder, TheFileDialogsComeFromTheSystemsLibrary) {
    HWND main = StartKvl();
    ASSERT_TRUE(main);
    ASSERT_TRUE(ClickToFront(main));
    Press({VK_MENU, 'F'});
    Press({'P'});  // "Ex&port Monitors..."
    HWND dialog = wintest::AwaitShownWindow(L"Export Monitors", kvl.Id(), 15000);
    ASSERT_TRUE(dialog);

    EXPECT_FALSE(Noted(L"comdlg32.dll", L".loaded"));
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    const std::vector<std::wstring> modules = ModulesOf(kvl.Process());
    EXPECT_NE(std::find(modules.begin(), modules.end(),
                        Lower(std::wstring(system, n)) + L"\\comdlg32.dll"),
              modules.end());
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
    EXPECT_TRUE(kvl.Running());
}

}  // namespace
}  // namespace kvl
