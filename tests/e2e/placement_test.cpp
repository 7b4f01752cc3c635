// KVL.exe resident, putting the windows another program opens where their monitors say.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "platform/win32/resources/resource.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

// The primary display's, as KVL reads it.
RECT WorkArea() {
    MONITORINFO info{sizeof info};
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

bool StandsAt(HWND w, const RECT& wanted) {
    RECT r{};
    return GetWindowRect(w, &r) && EqualRect(&r, &wanted);
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

RECT RectOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

class Placing : public ::testing::Test {
protected:
    // Each monitor: its caption and its keys beyond the described ones.
    void Store(const std::vector<std::pair<std::wstring, std::map<std::string, std::string>>>& monitors) {
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            const std::string section = "Monitor" + std::to_string(i);
            store.Write(section, "Description", "placing " + std::to_string(i));
            store.Write(section, "Caption", win32::Narrow(monitors[i].first));
            store.Write(section, "WindowState", "");
            for (const auto& [key, value] : monitors[i].second) store.Write(section, key, value);
        }
        store.Write("General", "Strength", "0");  // Ultra
    }
    void StartKvl() {
        ASSERT_TRUE(kvl.Start(L"\"" + copy.Path() + L"\""));
        ASSERT_TRUE(WaitFor([&] {
            main = wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id());
            return main && IsWindowVisible(main);
        }, 15000));
        // Read now: the notification area that KVL's icon brings takes its part of the screen.
        work = WorkArea();
    }
    HWND Window(const std::wstring& caption) {
        HWND w = nullptr;
        WaitFor([&] { return (w = wintest::FindWindowByCaption(caption, target.Id())) != nullptr; },
                10000);
        return w;
    }
    std::wstring Target(const std::wstring& instructions) const {
        return L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" " + instructions;
    }

    const std::wstring tag = wintest::UniqueName(L"Place");
    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
    ChildProcess kvl;
    ChildProcess target;
    HWND main = nullptr;
    RECT work{};
};

TEST_F(Placing, EachFieldPutsTheWindowWhereItSays) {
    Store({{L"pixels " + tag, {{"Position", "100,50"}, {"Size", "400,300"}, {"OnTop", "1"}, {"Opacity", "60"}}},
           {L"centred " + tag, {{"Position", "center,center"}, {"Size", "50%,50%"}}},
           {L"elsewhere " + tag, {{"Position", "20,30"}, {"Display", "7"}}},
           {L"fixed " + tag, {{"Position", "200,100"}, {"Size", "600,500"}}},
           {L"maxed " + tag, {{"Position", "60,40"}, {"Size", "320,240"}}},
           {L"control " + tag, {{"Position", "0,0"}}}});
    StartKvl();
    const LONG workW = work.right - work.left, workH = work.bottom - work.top;
    ASSERT_TRUE(target.Start(Target(L"\"open:pixels " + tag + L"\" \"open:centred " + tag +
                                    L"\" \"open:elsewhere " + tag + L"\" \"fixed:fixed " + tag +
                                    L"\" \"max:maxed " + tag + L"\"")));
    HWND pixels = Window(L"pixels " + tag), centred = Window(L"centred " + tag),
         elsewhere = Window(L"elsewhere " + tag), fixed = Window(L"fixed " + tag),
         maxed = Window(L"maxed " + tag);
    ASSERT_TRUE(pixels && centred && elsewhere && fixed && maxed);

    const RECT atPixels{work.left + 100, work.top + 50, work.left + 500, work.top + 350};
    EXPECT_TRUE(WaitFor([&] { return StandsAt(pixels, atPixels); })) << Text(RectOf(pixels));
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(pixels, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));

    // Half the work area's width and height, centred. Under Wine each process keeps a work
    // area of its own, and KVL's leaves room for the notification area its icon brings: the
    // height is judged against the width's rule and its own centring.
    EXPECT_TRUE(WaitFor([&] {
        const RECT r = RectOf(centred);
        const LONG h = r.bottom - r.top;
        return r.left == work.left + (workW - workW / 2) / 2 && r.right - r.left == workW / 2 &&
               h <= workH / 2 && std::abs((r.top - work.top) - h / 2) <= 1;
    })) << Text(RectOf(centred)) << " on " << Text(work);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(WaitFor([&] {
        return GetLayeredWindowAttributes(pixels, nullptr, &alpha, &flags) && alpha == 60 * 255 / 100;
    })) << int(alpha);

    // There is no display 7: the primary one.
    EXPECT_TRUE(WaitFor([&] {
        const RECT r = RectOf(elsewhere);
        return r.left == work.left + 20 && r.top == work.top + 30;
    })) << Text(RectOf(elsewhere));

    // No sizing border: moved, its size its own.
    const RECT fixedWas = RectOf(fixed);
    EXPECT_TRUE(WaitFor([&] {
        const RECT r = RectOf(fixed);
        return r.left == work.left + 200 && r.top == work.top + 100;
    })) << Text(RectOf(fixed));
    EXPECT_EQ(RectOf(fixed).right - RectOf(fixed).left, fixedWas.right - fixedWas.left);

    // Opened maximized: stays so, and comes back to its new place when restored.
    const RECT maxedPlace{work.left + 60, work.top + 40, work.left + 380, work.top + 280};
    // Reports are acted on in turn: once a window opened later stands at its place, the
    // maximized one has been dealt with.
    ChildProcess control;
    ASSERT_TRUE(control.Start(Target(L"\"open:control " + tag + L"\"")));
    HWND controlWindow = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        controlWindow = wintest::FindWindowByCaption(L"control " + tag, control.Id());
        return controlWindow != nullptr;
    }, 10000));
    EXPECT_TRUE(WaitFor([&] {
        const RECT r = RectOf(controlWindow);
        return r.left == work.left && r.top == work.top;
    }));
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(maxed) != FALSE; }));
    ShowWindow(maxed, SW_RESTORE);
    EXPECT_TRUE(WaitFor([&] { return StandsAt(maxed, maxedPlace); })) << Text(RectOf(maxed));
}

// "Arrange Open Windows" puts windows that were open before KVL started, which it never
// reports, where their monitors say; a disabled monitor's window stays.
TEST_F(Placing, ArrangeOpenWindowsPlacesWhatIsAlreadyOpen) {
    Store({{L"early " + tag, {{"Position", "70,60"}, {"Size", "300,200"}}},
           {L"idle " + tag, {{"Position", "0,0"}, {"Disable", "1"}}}});
    ASSERT_TRUE(target.Start(Target(L"\"open:early " + tag + L"\" \"open:idle " + tag + L"\"")));
    HWND early = Window(L"early " + tag), idle = Window(L"idle " + tag);
    ASSERT_TRUE(early && idle);
    const RECT idleWas = RectOf(idle);
    StartKvl();
    PostMessageW(main, WM_COMMAND, IDM_ARRANGE, 0);  // the menu item, as a click sends it
    const RECT wanted{work.left + 70, work.top + 60, work.left + 370, work.top + 260};
    EXPECT_TRUE(WaitFor([&] { return StandsAt(early, wanted); })) << Text(RectOf(early));
    EXPECT_TRUE(StandsAt(idle, idleWas));
}

// Where the user leaves a window is noted within about a second, kept in the store, and is
// where the next window of the monitor opens after KVL has been started again.
TEST_F(Placing, ARememberedPlaceOutlivesARestart) {
    Store({{L"notes " + tag, {{"Position", "10,10"}, {"RememberPlace", "1"}}}});
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"open:notes " + tag + L"\"")));
    HWND first = Window(L"notes " + tag);
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitFor([&] {
        const RECT r = RectOf(first);
        return r.left == work.left + 10 && r.top == work.top + 10;
    }));
    SetWindowPos(first, nullptr, work.left + 200, work.top + 150, 320, 240,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return store.Read("Monitor0", "RememberedPlace") == "1,200,150,320,240"; }))
        << store.Read("Monitor0", "RememberedPlace").value_or("<missing>");
    target.Kill();

    PostMessageW(main, WM_COMMAND, IDM_TRAY_EXIT, 0);
    ASSERT_TRUE(kvl.Wait(15000));
    kvl.Kill();  // ended already: its handles go
    EXPECT_EQ(store.Read("Monitor0", "RememberedPlace"), "1,200,150,320,240");
    StartKvl();
    ChildProcess again;
    ASSERT_TRUE(again.Start(Target(L"\"open:notes " + tag + L"\"")));
    HWND second = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        second = wintest::FindWindowByCaption(L"notes " + tag, again.Id());
        return second != nullptr;
    }, 10000));
    const RECT wanted{work.left + 200, work.top + 150, work.left + 520, work.top + 390};
    EXPECT_TRUE(WaitFor([&] { return StandsAt(second, wanted); })) << Text(RectOf(second));
}

}  // namespace
}  // namespace kvl
