// KVL.exe started with switches, as a script would start it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "cmdline/command_line.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

const std::wstring kErrorText =
    L"I had a problem understanding your command line. Make sure it's in the correct format. "
    L"Also, if you're launching the application, make sure the path is correct. ";

class OneShot : public ::testing::Test {
protected:
    void SetUp() override {
        // Anything KVL saved would overwrite this marker.
        ASSERT_TRUE(store.Write("General", "Strength", "0"));
        ASSERT_TRUE(store.Write("Monitor0", "Description", "stored"));
    }
    void TearDown() override {
        // The one-shot mode loads the store but never writes it.
        EXPECT_EQ(store.Read("General", "Strength"), "0");
        EXPECT_EQ(store.Read("Monitor0", "WindowState"), std::nullopt);
    }
    void Run(const std::wstring& arguments) {
        ASSERT_TRUE(kvl.Start(L"\"" + copy.Path() + L"\" " + arguments));
    }
    // The message KVL shows, pressed away; then KVL must end, telling its script `exitCode`.
    std::wstring Message(DWORD exitCode) {
        auto box = wintest::AwaitMessageBox(kvl.Id());
        if (!box) return L"(no message box)";
        EXPECT_EQ(box->title, L"KVL");
        EXPECT_FALSE(box->hasIcon);
        EXPECT_EQ(box->buttons, 1);
        wintest::PressOk(*box);
        EXPECT_EQ(kvl.Wait(10000), std::optional<DWORD>(exitCode));
        return box->text;
    }

    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
    ChildProcess kvl;
};

std::wstring Reference() {
    // Message boxes show a line break however it is written; compare the words line by line.
    return win32::Widen(CommandLineReference());
}

// Line breaks in a message box come back as the box keeps them; compare without them.
std::wstring Flat(std::wstring text) {
    std::erase_if(text, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    return text;
}

TEST_F(OneShot, HelpInAnySpellingShowsTheReferenceAndEnds) {
    for (const wchar_t* help : {L"/HELP", L"Help", L" ? ", L"/caption[x] /? /max"}) {
        Run(help);
        EXPECT_EQ(Flat(Message(0)), Flat(Reference())) << help;
    }
}

// The download zip, unpacked by tests/e2e/unpacked_zip.sh into a fresh folder: the
// program runs from there under its own name, with its guide and read-me beside it.
TEST(UnpackedZip, KvlRunsFromTheFolderItWasUnpackedInto) {
    const wchar_t* unpacked = _wgetenv(L"KVL_UNPACKED");
    if (!unpacked) GTEST_SKIP() << "run by unpacked_zip.sh, which unpacks the zip first";
    const std::wstring dir = unpacked;
    // Under its own name it would use the user's own settings: /? must not create them.
    const std::wstring settings = win32::Widen(kSettingsRoot) + L"\\KVL";
    auto settingsExist = [&] {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, settings.c_str(), 0, KEY_READ, &key)) return false;
        RegCloseKey(key);
        return true;
    };
    const bool hadSettings = settingsExist();
    for (const wchar_t* file : {L"kvlhelp.doc", L"ReadMe.txt"})
        EXPECT_NE(GetFileAttributesW((dir + L"\\" + file).c_str()), INVALID_FILE_ATTRIBUTES)
            << file;
    ChildProcess kvl;
    ASSERT_TRUE(kvl.Start(L"\"" + dir + L"\\KVL.exe\" /?"));
    auto box = wintest::AwaitMessageBox(kvl.Id());
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->title, L"KVL");
    EXPECT_EQ(Flat(box->text), Flat(Reference()));
    wintest::PressOk(*box);
    EXPECT_TRUE(kvl.Wait(10000).has_value());
    EXPECT_EQ(settingsExist(), hadSettings);
}

TEST_F(OneShot, ACommandLineThatCannotBeUnderstoodShowsTheErrorAndTheReference) {
    for (const wchar_t* wrong :
         {L"/caption[abc", L"/wait[x]", L"/wait[]", L"/wait[40000]", L"/run[c:\\no\\such.exe]"}) {
        Run(wrong);
        EXPECT_EQ(Flat(Message(2)), Flat(kErrorText + Reference())) << wrong;
    }
}

// A program KVL starts itself: the window factory, asked for one window.
class OneShotRun : public OneShot {
protected:
    void TearDown() override {
        for (HWND w : wintest::FindWindowsByCaption(caption)) wintest::KillProcessOf(w);
        OneShot::TearDown();
    }
    std::wstring RunTarget(const std::wstring& verb) const {
        return L"/run[\"" + wintest::ExeDir() + L"\\kvl_target.exe\" " + verb + L":" + caption +
               L"] /caption[" + caption + L"]";
    }
    HWND AwaitTargetWindow() {
        HWND w = nullptr;
        WaitFor([&] { return (w = wintest::FindWindowByCaption(caption)) != nullptr; }, 15000);
        return w;
    }
    // The launched command line is lower-cased, and with it the caption of the window.
    const std::wstring caption = [] {
        std::wstring c = wintest::UniqueName(L"oneshot");
        for (wchar_t& ch : c) ch = static_cast<wchar_t>(towlower(ch));
        return c;
    }();
};

TEST_F(OneShotRun, EachActionSwitchActsOnTheLaunchedProgramsWindowAndEnds) {
    struct Case {
        const wchar_t* verb;
        const wchar_t* action;
        bool (*done)(HWND);
    };
    const Case cases[] = {
        {L"open", L"/max", [](HWND w) { return IsZoomed(w) != FALSE; }},
        {L"open", L"/min", [](HWND w) { return IsIconic(w) != FALSE; }},
        {L"open", L"/hide", [](HWND w) { return !IsWindowVisible(w); }},
        {L"open", L"/close", [](HWND w) { return !IsWindow(w); }},
        {L"min", L"/restore", [](HWND w) { return IsWindowVisible(w) && !IsIconic(w); }},
    };
    for (const Case& c : cases) {
        Run(RunTarget(c.verb) + L" " + c.action);
        HWND w = AwaitTargetWindow();
        ASSERT_TRUE(w) << c.action;
        EXPECT_EQ(kvl.Wait(15000), std::optional<DWORD>(0)) << c.action;  // acted, then ended
        EXPECT_TRUE(WaitFor([&] { return c.done(w); })) << c.action;
        if (IsWindow(w)) wintest::KillProcessOf(w);
        kvl.Kill();
    }
}

TEST_F(OneShotRun, SendKeysTypesIntoTheWindowAndEndsWithoutAMessage) {
    Run(RunTarget(L"edit") + L" /sendkeys[Typed +by KVL~]");
    HWND w = AwaitTargetWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(kvl.Wait(15000), std::optional<DWORD>(0));
    EXPECT_EQ(wintest::EditText(w), L"Typed By KVL\r\n");
}

// Keys that cannot go in are a failure a script hears of: hidden first, the window takes none;
// and a window that will not come to the front takes none either, nor does the window of its
// program that keeps the front.
TEST_F(OneShotRun, KeysThatCouldNotBeTypedEndWithExitCode4) {
    Run(RunTarget(L"edit") + L" /hide /sendkeys[never]");
    HWND w = AwaitTargetWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(kvl.Wait(15000), std::optional<DWORD>(4));
    EXPECT_EQ(wintest::EditText(w), L"");
    wintest::KillProcessOf(w);

    const std::wstring keeper = wintest::UniqueName(L"keeper");
    Run(L"/run[\"" + wintest::ExeDir() + L"\\kvl_target.exe\" edit:" + keeper + L" bounce:" +
        caption + L"] /caption[" + caption + L"] /sendkeys[never]");
    ASSERT_TRUE(AwaitTargetWindow());
    EXPECT_EQ(kvl.Wait(15000), std::optional<DWORD>(4));
    const HWND front = wintest::FindWindowByCaption(keeper);
    ASSERT_TRUE(front);
    EXPECT_EQ(wintest::EditText(front), L"");
}

TEST_F(OneShotRun, ACapitalSwitchIsNotAnActionSoKvlSaysSo) {
    Run(RunTarget(L"open") + L" /MAX");
    HWND w = AwaitTargetWindow();
    ASSERT_TRUE(w);
    const std::wstring text = Message(3);
    EXPECT_EQ(Flat(text), Flat(L"I found your window but you didn't instruct me to do anything "
                               L"meaningful once I found it. " + Reference()));
    EXPECT_FALSE(IsZoomed(w));
}

TEST_F(OneShot, WaitsTheGivenMinutesForAWindowThatNeverComesThenEndsQuietly) {
    const ULONGLONG start = GetTickCount64();
    Run(L"/caption[no window is called this] /wait[1]");
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        main = wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id());
        return main && wintest::ShellHasIcon(main);
    }));
    EXPECT_FALSE(IsWindowVisible(main));
    // It ends by itself, once the minute is over: however busy the machine, never before.
    ASSERT_EQ(kvl.Wait(180000), std::optional<DWORD>(1));
    EXPECT_GE(GetTickCount64() - start, 60000u);
}

}  // namespace
}  // namespace kvl
