// KVL.exe started with switches, as a script would start it.

#include <gtest/gtest.h>

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
    // The message KVL shows, pressed away; then KVL must end.
    std::wstring Message() {
        auto box = wintest::AwaitMessageBox(kvl.Id());
        if (!box) return L"(no message box)";
        EXPECT_EQ(box->title, L"KVL");
        EXPECT_FALSE(box->hasIcon);
        EXPECT_EQ(box->buttons, 1);
        wintest::PressOk(*box);
        EXPECT_TRUE(kvl.Wait(10000).has_value());
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
        EXPECT_EQ(Flat(Message()), Flat(Reference())) << help;
    }
}

TEST_F(OneShot, ACommandLineThatCannotBeUnderstoodShowsTheErrorAndTheReference) {
    for (const wchar_t* wrong :
         {L"/caption[abc", L"/wait[x]", L"/wait[]", L"/wait[40000]", L"/run[c:\\no\\such.exe]"}) {
        Run(wrong);
        EXPECT_EQ(Flat(Message()), Flat(kErrorText + Reference())) << wrong;
    }
}

TEST_F(OneShot, WaitsTheGivenMinutesForAWindowThatNeverComesThenEndsQuietly) {
    const ULONGLONG start = GetTickCount64();
    Run(L"/caption[no window is called this] /wait[1]");
    ASSERT_TRUE(WaitFor([&] { return wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id()) != nullptr; }));
    EXPECT_FALSE(IsWindowVisible(wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id())));
    // The window exists a moment before start-up gives it its tray icon.
    EXPECT_TRUE(WaitFor(
        [&] { return wintest::ShellHasIcon(wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id())); }));
    EXPECT_FALSE(kvl.Wait(50000).has_value());
    ASSERT_TRUE(kvl.Wait(20000).has_value());
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 60000u);
    EXPECT_LT(took, 70000u);
}

}  // namespace
}  // namespace kvl
