// KVL.exe started with command lines a script might get wrong: as long as the system allows,
// brackets that do not pair, quotes in odd places, captions beyond ASCII. Every one ends in
// the help, the problem message or a proper wait; none may crash or hang.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cmdline/command_line.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

constexpr wchar_t kMainCaption[] = L"Korvel 3.0";
// The longest command line CreateProcess takes, without its terminating zero.
constexpr std::size_t kLongestCommandLine = 32766;

enum class Seen { Help, Problem, Waiting, Nothing };

const char* Name(Seen s) {
    switch (s) {
        case Seen::Help: return "help";
        case Seen::Problem: return "problem message";
        case Seen::Waiting: return "waiting";
        case Seen::Nothing: return "nothing (crashed or hung)";
    }
    return "?";
}

std::wstring Flat(std::wstring text) {
    std::erase_if(text, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    return text;
}

class BadCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        // The one-shot mode never saves; anything written would overwrite this marker.
        ASSERT_TRUE(store.Write("General", "Strength", "0"));
    }
    void TearDown() override { EXPECT_EQ(store.Read("General", "Strength"), "0"); }

    std::wstring Program() const { return L"\"" + copy.Path() + L"\""; }

    // Starts KVL with `arguments` and sees it through to its end: a message box is read and
    // pressed away; a wait is recognised by the hidden main window idling with no box, and is
    // ended with one close request, which a hidden main window obeys at once.
    Seen Run(const std::wstring& arguments, std::wstring* message = nullptr) {
        ChildProcess kvl;
        if (!kvl.Start(Program() + L" " + arguments)) return Seen::Nothing;
        HWND main = nullptr;
        std::optional<wintest::MessageBoxSeen> box;
        const bool settled = WaitFor([&] {
            box = wintest::AwaitMessageBox(kvl.Id(), 0);
            if (box) return true;
            main = wintest::FindWindowByCaption(kMainCaption, kvl.Id());
            if (!main || !wintest::ShellHasIcon(main)) return false;
            // Idle in its message loop with no box up: start-up is over and it waits.
            if (WaitForInputIdle(kvl.Process(), 0) != 0) return false;
            box = wintest::AwaitMessageBox(kvl.Id(), 0);
            return true;
        }, 20000);
        if (!settled) return Seen::Nothing;

        if (box) {
            if (message) *message = box->text;
            EXPECT_EQ(box->title, L"KVL");
            wintest::PressOk(*box);
            const std::optional<DWORD> exitCode = kvl.Wait(10000);
            if (!exitCode) return Seen::Nothing;
            const std::wstring reference = Flat(win32::Widen(CommandLineReference()));
            if (Flat(box->text) == reference) {
                EXPECT_EQ(*exitCode, 0u);
                return Seen::Help;
            }
            EXPECT_EQ(Flat(box->text).rfind(L"I had a problem understanding your command line.", 0), 0u);
            EXPECT_TRUE(Flat(box->text).ends_with(reference));
            EXPECT_EQ(*exitCode, 2u);
            return Seen::Problem;
        }
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_TRUE(kvl.Running());
        PostMessageW(main, WM_CLOSE, 0, 0);
        // Nothing may pop up on the way out either.
        bool boxOnTheWay = false;
        const bool ended = WaitFor([&] {
            if (wintest::AwaitMessageBox(kvl.Id(), 0)) boxOnTheWay = true;
            return !kvl.Running();
        }, 10000);
        EXPECT_FALSE(boxOnTheWay);
        return ended ? Seen::Waiting : Seen::Nothing;
    }

    // Arguments that fill the command line up to the system's limit: `piece` repeated
    // between `before` and `after`, topped up with `pad`.
    std::wstring Filled(const std::wstring& before, const std::wstring& piece,
                        const std::wstring& after, wchar_t pad = L'x') const {
        const std::size_t room = kLongestCommandLine - Program().size() - 1;
        std::wstring middle;
        while (before.size() + middle.size() + piece.size() + after.size() <= room) middle += piece;
        middle.append(room - before.size() - middle.size() - after.size(), pad);
        return before + middle + after;
    }

    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
};

#define EXPECT_SEEN(expected, arguments)                                     \
    do {                                                                     \
        const std::wstring args_ = (arguments);                              \
        const Seen seen_ = Run(args_);                                       \
        EXPECT_EQ(seen_, expected) << Name(seen_) << " for "                 \
                                   << win32::Narrow(args_.substr(0, 120));   \
    } while (0)

TEST_F(BadCommandLine, ThirtyTwoThousandCharactersAreStillOneOfTheThreeOutcomes) {
    const std::wstring manyScripts = L"\u00c9\u03a9\u0416\u65e5\U0001F600 ";
    const std::wstring caption = Filled(L"/caption[", manyScripts, L"]");
    ASSERT_EQ(Program().size() + 1 + caption.size(), kLongestCommandLine);
    EXPECT_SEEN(Seen::Waiting, caption);
    EXPECT_SEEN(Seen::Help, Filled(L"/caption[", L"word ", L"] /?"));
    EXPECT_SEEN(Seen::Problem, Filled(L"/caption[", L"[[[ ", L""));
    EXPECT_SEEN(Seen::Problem, Filled(L"/wait[", L"9", L"]"));
    EXPECT_SEEN(Seen::Waiting, Filled(L"/wait[", L"0", L"1] /caption[x]", L'0'));
    EXPECT_SEEN(Seen::Waiting, Filled(L"", L"/caption[a] ", L""));
}

TEST_F(BadCommandLine, BracketsThatDoNotPairAreAProblemUnlessAValueIsClosed) {
    for (const wchar_t* wrong : {L"/caption[[abc", L"/caption]abc[", L"]]] /run[[[", L"/wait[[1]]",
                                 L"/caption[a] /run[", L"/wait]5[", L"/caption", L"[/caption"})
        EXPECT_SEEN(Seen::Problem, wrong);
    // The value runs to the first "]"; what follows is not looked at.
    for (const wchar_t* fine : {L"/caption[a]]]] /wait[1]]", L"/caption[[[a]", L"]]]]/caption[x]",
                                L"[[[[ ]]]]"})
        EXPECT_SEEN(Seen::Waiting, fine);
}

TEST_F(BadCommandLine, QuotesAreJustCharactersOfTheLine) {
    for (const wchar_t* line : {L"/caption[\"Untitled\" - Notepad] /wait[1]",
                                L"\"/caption[a b]\" \"/wait[1]\"", L"/caption[x\"] /wait[1]",
                                L"\"\"\"\"", L"/caption[\\\"x\\\"]"})
        EXPECT_SEEN(Seen::Waiting, line);
    for (const wchar_t* line : {L"/wait[\"1\"]", L"/caption[x\"] /wait[\"1]",
                                L"/run[\"C:\\no such dir\\app.exe\" /x]"})
        EXPECT_SEEN(Seen::Problem, line);
    EXPECT_SEEN(Seen::Help, L"\"/?\"");
    EXPECT_SEEN(Seen::Help, L"/caption[\"/help\"]");
}

TEST_F(BadCommandLine, CaptionsBeyondAsciiWait) {
    for (const wchar_t* line :
         {L"/caption[\u00c9CRAN \u041f\u0420\u0418\u0412\u0415\u0422 \u65e5\u672c\u8a9e \U0001F600 "
          L"\u05e2\u05d1\u05e8\u05d9\u05ea]",
          L"/CAPTION[\u03a9\u039c\u0388\u0393\u0391]/WAIT[1]", L"/caption[\u212a\u0130\u1e9e]",
          // Full-width letters are other characters: no switch at all, so a plain wait.
          L"\uff0f\uff48\uff45\uff4c\uff50"})
        EXPECT_SEEN(Seen::Waiting, line);
    std::wstring message;
    EXPECT_EQ(Run(L"/caption[\u00e9t\u00e9] /wait[\u0661]", &message), Seen::Problem);
    EXPECT_EQ(Run(L"/caption[\u00e9t\u00e9] /HELP", &message), Seen::Help);
}

}  // namespace
}  // namespace kvl
