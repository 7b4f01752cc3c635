#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "platform/win32/unicode.h"
#include "platform/win32/window_watcher_win32.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::TestWindow;
using wintest::UniqueName;
using wintest::WaitFor;

bool Finds(std::string_view pattern, std::string_view caption) {
    return CaptionRegex(pattern).Matches(PatternText(FoldCase(caption)));
}

// On Windows a pattern's classes know every script, as Windows' own tables do.
TEST(CaptionPatternsOnWindows, WordsAndLetterCaseKnowUnicode) {
    EXPECT_TRUE(Finds("\\bÜber\\b", "Über uns"));
    EXPECT_FALSE(Finds("\\bÜber\\b", "Überall"));
    EXPECT_TRUE(Finds("é", "É"));
    EXPECT_TRUE(Finds("^\\w+$", "Größe"));
    EXPECT_TRUE(Finds("^\\w{5}$", "Größe"));
    EXPECT_FALSE(Finds("^\\w+$", "Grö-ße"));
    EXPECT_TRUE(Finds("^\\W$", "-"));
}

// The same, through the watcher, on real windows' captions.
TEST(CaptionPatternsOnWindows, TheWatcherFindsWindowsByUnicodeWords) {
    const std::wstring tag = UniqueName(L"Pattern");
    std::string escapedTag;
    for (wchar_t c : tag) {
        if (!std::iswalnum(c)) escapedTag += '\\';
        escapedTag += static_cast<char>(c);
    }
    win32::Win32WindowWatcher watcher;
    std::vector<HWND> reported;
    watcher.OnWindowOpen(
        [&reported](int, WindowHandle w) { reported.push_back(reinterpret_cast<HWND>(w)); });
    watcher.AddWatch({"\\bÜber\\b.*" + escapedTag, CaptionKind::Pattern});
    watcher.MonitorStrength(1);
    // The one not to be found first: by the time the other is found, it has been looked at.
    TestWindow longer(L"\u00DCberall " + tag);
    TestWindow word(L"\u00DCber uns " + tag);
    auto seen = [&reported](HWND w) {
        return std::find(reported.begin(), reported.end(), w) != reported.end();
    };
    ASSERT_TRUE(WaitFor([&] { return seen(word.Handle()); }));
    EXPECT_FALSE(seen(longer.Handle()));
}

}  // namespace
}  // namespace kvl
