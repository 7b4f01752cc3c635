#include "engine/window_actions.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_desktop.h"

namespace kvl {
namespace {

using fakes::FakeDesktop;
using Op = FakeDesktop::Op;

TEST(ActionNames, AreComparedWholeWithLetterCaseIgnored) {
    const std::pair<const char*, std::int16_t> names[] = {
        {"hide", 0},     {"HIDE", 0},    {"Maximize", 3}, {"maXimIZE", 3}, {"minimize", 2},
        {"MINIMIZE", 2}, {"Restore", 1}, {"restore", 1},  {"close", -2},   {"Close", -2},
    };
    for (auto [name, command] : names) EXPECT_EQ(ShowCommandForAction(name), command) << name;
    for (const char* other : {"", " hide", "hide ", "\thide", "restore\n", "hid", "hidee", "unhide",
                              "minimise", "maximise", "close window", "quit", "0", "3"}) {
        EXPECT_EQ(ShowCommandForAction(other), -1) << other;
    }
}

TEST(SetWindowState, ShowsWithTheActionsCommand) {
    FakeDesktop desk;
    const WindowHandle w = desk.AddWindow("Setup");
    for (const char* name : {"Hide", "maximize", "MINIMIZE", "Restore"}) {
        desk.calls.clear();
        SetWindowState(desk, w, name);
        ASSERT_EQ(desk.Ops(), std::vector<Op>{Op::Show}) << name;
        EXPECT_EQ(desk.calls[0].window, w);
        EXPECT_EQ(desk.calls[0].command, ShowCommandForAction(name)) << name;
    }
}

TEST(SetWindowState, CloseOnlyPostsAndUnknownNamesDoNothing) {
    FakeDesktop desk;
    const WindowHandle w = desk.AddWindow("Setup");
    SetWindowState(desk, w, "CLOSE");
    ASSERT_EQ(desk.Ops(), std::vector<Op>{Op::PostClose});
    EXPECT_EQ(desk.calls[0].window, w);

    desk.calls.clear();
    for (const char* name : {"", " close", "restore ", "open"}) SetWindowState(desk, w, name);
    EXPECT_TRUE(desk.calls.empty());
}

TEST(WindowCaption, OnlyVisibleEnabledWindowsHaveOne) {
    FakeDesktop desk;
    const WindowHandle shown = desk.AddWindow("Error");
    const WindowHandle hidden = desk.AddWindow("Error", false);
    const WindowHandle disabled = desk.AddWindow("Error", true, false);
    EXPECT_EQ(WindowCaption(desk, shown), "Error");
    EXPECT_EQ(WindowCaption(desk, hidden), "");
    EXPECT_EQ(WindowCaption(desk, disabled), "");
    EXPECT_EQ(WindowCaption(desk, 0xDEAD), "");
}

TEST(WindowCaption, IsCutTo256Utf16Units) {
    FakeDesktop desk;
    const WindowHandle longOne = desk.AddWindow(std::string(300, 'x'));
    EXPECT_EQ(WindowCaption(desk, longOne), std::string(256, 'x'));
    // 255 units of text and a character that needs two: the pair is not split.
    const WindowHandle astral = desk.AddWindow(std::string(255, 'y') + "\U0001F600z");
    EXPECT_EQ(WindowCaption(desk, astral), std::string(255, 'y'));
    const WindowHandle accents = desk.AddWindow(std::string(260, 'a').replace(0, 1, "é"));
    EXPECT_EQ(WindowCaption(desk, accents), "é" + std::string(255, 'a'));
}

}  // namespace
}  // namespace kvl
