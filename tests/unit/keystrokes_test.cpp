#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/key_text.h"
#include "engine/keystroke_step.h"
#include "engine/plan_run.h"
#include "fakes/fake_desktop.h"

namespace kvl {

void PrintTo(const KeyStroke& k, std::ostream* os) {
    *os << "{vk " << k.virtualKey << " char " << static_cast<std::uint32_t>(k.character) << " mods "
        << static_cast<int>(k.modifiers) << " kept " << static_cast<int>(k.keepHeld) << "}";
}

namespace {

using fakes::FakeDesktop;
using Op = FakeDesktop::Op;
using Units = std::vector<std::string>;

// `kept`: the modifiers that stay down for the next stroke of the same group.
KeyStroke Ch(char32_t c, std::uint8_t mods = 0, std::uint8_t kept = 0) {
    return {0, c, mods, kept};
}
KeyStroke Vk(std::uint16_t code, std::uint8_t mods = 0, std::uint8_t kept = 0) {
    return {code, 0, mods, kept};
}

KeySequence Parse(std::string_view text) {
    const std::optional<KeySequence> keys = ParseKeyText(text);
    EXPECT_TRUE(keys.has_value()) << "does not parse: " << text;
    return keys.value_or(KeySequence{});
}

// ---- the key-text language ------------------------------------------------------------

TEST(KeyText, CharactersTypeThemselvesInTheirOwnCase) {
    EXPECT_EQ(Parse(""), KeySequence{});
    EXPECT_EQ(Parse("aB 1"), (KeySequence{Ch('a'), Ch('B'), Ch(' '), Ch('1')}));
    // Characters beyond ASCII, one beyond the 16-bit range included, stay whole.
    EXPECT_EQ(Parse("é€\U0001F600ж"),
              (KeySequence{Ch(U'é'), Ch(U'€'), Ch(U'\U0001F600'), Ch(U'ж')}));
    EXPECT_EQ(Parse("[x]"), (KeySequence{Ch('['), Ch('x'), Ch(']')}));
    EXPECT_EQ(Parse("a~~"), (KeySequence{Ch('a'), Vk(vk::kReturn), Vk(vk::kReturn)}));
}

TEST(KeyText, AModifierHoldsForTheNextKeyOnly) {
    EXPECT_EQ(Parse("+ab"), (KeySequence{Ch('a', kShift), Ch('b')}));
    EXPECT_EQ(Parse("^%x"), (KeySequence{Ch('x', kCtrl | kAlt)}));
    EXPECT_EQ(Parse("+^%{DEL}"), (KeySequence{Vk(vk::kDelete, kShift | kCtrl | kAlt)}));
    EXPECT_EQ(Parse("^~a"), (KeySequence{Vk(vk::kReturn, kCtrl), Ch('a')}));
    EXPECT_EQ(Parse("%{F4}"), (KeySequence{Vk(vk::kF1 + 3, kAlt)}));
    EXPECT_EQ(Parse("+é"), (KeySequence{Ch(U'é', kShift)}));
}

TEST(KeyText, AModifierHoldsForAWholeGroupOnlyAndGroupsNest) {
    EXPECT_EQ(Parse("+(ab)c"), (KeySequence{Ch('a', kShift, kShift), Ch('b', kShift), Ch('c')}));
    EXPECT_EQ(Parse("^(a+(b{TAB})c)"),
              (KeySequence{Ch('a', kCtrl, kCtrl), Ch('b', kCtrl | kShift, kCtrl | kShift),
                           Vk(vk::kTab, kCtrl | kShift, kCtrl), Ch('c', kCtrl)}));
    // Two groups are two presses of Ctrl, not one held across both.
    EXPECT_EQ(Parse("^(a)^(c)"), (KeySequence{Ch('a', kCtrl), Ch('c', kCtrl)}));
    EXPECT_EQ(Parse("^(a())b"), (KeySequence{Ch('a', kCtrl), Ch('b')}));
    EXPECT_EQ(Parse("(ab)"), (KeySequence{Ch('a'), Ch('b')}));
    EXPECT_EQ(Parse("+()x"), (KeySequence{Ch('x')}));
    // An empty group inside a group must not make the stroke before the outer one hold Ctrl.
    EXPECT_EQ(Parse("g^((()){TAB})"), (KeySequence{Ch('g'), Vk(vk::kTab, kCtrl)}));
}

TEST(KeyText, PathologicalTextsNeitherCrashNorHang) {
    EXPECT_EQ(Parse(std::string(100000, '+') + "a"), KeySequence{Ch('a', kShift)});
    EXPECT_EQ(Parse(std::string(20, '(') + "a" + std::string(20, ')')), KeySequence{Ch('a')});
    EXPECT_FALSE(ParseKeyText(std::string(100000, '(') + "a" + std::string(100000, ')')));
    // At most 65,536 strokes per text; past that the text does not parse, and fails before
    // it has built millions of strokes.
    std::string full;
    for (int k = 0; k < 2; ++k) full += "{a 32767}";
    full += "{b 2}";
    const auto longest = ParseKeyText(full);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->size(), 65536u);
    EXPECT_EQ(longest->back(), Ch('b'));
    EXPECT_FALSE(ParseKeyText(full + "c"));
    std::string huge;
    for (int k = 0; k < 200; ++k) huge += "{a 32767}";
    EXPECT_FALSE(ParseKeyText(huge));
}

TEST(KeyText, EveryKeyNameInAnyLetterCase) {
    const std::pair<const char*, std::uint16_t> names[] = {
        {"BACKSPACE", 0x08}, {"BS", 0x08},         {"BKSP", 0x08},     {"BREAK", 0x03},
        {"CAPSLOCK", 0x14},  {"DELETE", 0x2E},     {"DEL", 0x2E},      {"DOWN", 0x28},
        {"END", 0x23},       {"ENTER", 0x0D},      {"ESC", 0x1B},      {"HELP", 0x2F},
        {"HOME", 0x24},      {"INSERT", 0x2D},     {"INS", 0x2D},      {"LEFT", 0x25},
        {"NUMLOCK", 0x90},   {"PGDN", 0x22},       {"PGUP", 0x21},     {"PRTSC", 0x2C},
        {"RIGHT", 0x27},     {"SCROLLLOCK", 0x91}, {"TAB", 0x09},      {"UP", 0x26},
        {"ADD", 0x6B},       {"SUBTRACT", 0x6D},   {"MULTIPLY", 0x6A}, {"DIVIDE", 0x6F},
    };
    for (auto [name, code] : names) {
        std::string lower = name, mixed = name;
        for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
        mixed[0] = lower[0];
        for (const std::string& spelled : {std::string(name), lower, mixed})
            EXPECT_EQ(Parse("{" + spelled + "}"), KeySequence{Vk(code)}) << spelled;
    }
    for (int n = 1; n <= 16; ++n) {
        const auto code = static_cast<std::uint16_t>(0x70 + n - 1);
        EXPECT_EQ(Parse("{F" + std::to_string(n) + "}"), KeySequence{Vk(code)}) << n;
        EXPECT_EQ(Parse("{f" + std::to_string(n) + "}"), KeySequence{Vk(code)}) << n;
    }
}

TEST(KeyText, ACountAfterABlankRepeatsTheKey) {
    EXPECT_EQ(Parse("{LEFT 3}"), KeySequence(3, Vk(vk::kLeft)));
    EXPECT_EQ(Parse("{a 5}"), KeySequence(5, Ch('a')));
    EXPECT_EQ(Parse("{enter 12}"), KeySequence(12, Vk(vk::kReturn)));
    EXPECT_EQ(Parse("+{TAB 2}x"),
              (KeySequence{Vk(vk::kTab, kShift, kShift), Vk(vk::kTab, kShift), Ch('x')}));
    EXPECT_EQ(Parse("{+ 2}"), KeySequence(2, Ch('+')));
    EXPECT_EQ(Parse("{} 2}"), KeySequence(2, Ch('}')));
    EXPECT_EQ(Parse("{x 0}y"), KeySequence{Ch('y')});
    EXPECT_EQ(Parse("{ }"), KeySequence{Ch(' ')});
}

TEST(KeyText, BracedSpecialCharactersTypeThemselves) {
    EXPECT_EQ(Parse("{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}"),
              (KeySequence{Ch('+'), Ch('^'), Ch('%'), Ch('~'), Ch('('), Ch(')'), Ch('{'), Ch('}'),
                           Ch('['), Ch(']')}));
    EXPECT_EQ(Parse("^{+}"), KeySequence{Ch('+', kCtrl)});
}

TEST(KeyText, TextsThatDoNotParseYieldNothing) {
    for (const char* bad : {
             "{SHIFT}a",  // the program's own tokens are no key names
             "{CNTL}", "{ALT}", "{LEFT", "abc{", "{}", "}", "(ab", "ab)", "+(a", "((a)", "+", "a^",
             "%%", "+)", "{F0}", "{F17}", "{F01}", "{LEFT x}", "{LEFT -1}", "{LEFT  3}", "{ LEFT}",
             "{ab}", "{a 99999}", "\xC3", "a\xFF", "\xED\xA0\x80",  // a lone surrogate
                                                                    // written as UTF-8
             "\xC0\xAF",                                            // an over-long "/"
         }) {
        EXPECT_FALSE(ParseKeyText(bad).has_value()) << bad;
    }
    // No key types a NUL, bare or in braces (found by fuzzing).
    using namespace std::string_view_literals;
    for (std::string_view nul : {"0a\0b"sv, "{\0}"sv, "{\0 3}"sv, "+\0"sv})
        EXPECT_FALSE(ParseKeyText(nul).has_value());
    EXPECT_EQ(KeyNameCode("SHIFT"), 0);
    EXPECT_EQ(KeyNameCode(""), 0);
}

// ---- the program's own tokens ---------------------------------------------------------

TEST(Tokens, ReplaceFirstReplacesOnlyTheFirstExactOccurrence) {
    EXPECT_EQ(ReplaceFirst("{CNTL}a{CNTL}c", "{CNTL}", "^"), "^a{CNTL}c");
    EXPECT_EQ(ReplaceFirst("abc", "{CNTL}", "^"), "abc");
    EXPECT_EQ(ReplaceFirst("{cntl}a", "{CNTL}", "^"), "{cntl}a");
    EXPECT_EQ(ReplaceFirst("xaay", "aa", "b"), "xby");
    EXPECT_EQ(ReplaceFirst("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceFirst("", "a", "x"), "");
}

TEST(Tokens, EveryOccurrenceOfEveryTokenIsTranslated) {
    EXPECT_EQ(TranslateTokens("{CNTL}s"), "^s");
    EXPECT_EQ(TranslateTokens("{SHIFT}a{CNTL}c"), "+a^c");
    EXPECT_EQ(TranslateTokens("{CNTL}a{CNTL}c"), "^a^c");
    EXPECT_EQ(TranslateTokens("{ALT}{ALT}f{SHIFT}{SHIFT}"), "%%f++");
    EXPECT_EQ(TranslateTokens("{ALT}{CNTL}{SHIFT}{DEL}"), "%^+{DEL}");
    EXPECT_EQ(TranslateTokens("{{CNTL}}"), "{^}");
    // Tokens are case-sensitive; anything else passes through untouched.
    EXPECT_EQ(TranslateTokens("{cntl}x{Shift}{alt}"), "{cntl}x{Shift}{alt}");
    EXPECT_EQ(TranslateTokens("{CNTL{SHIFT}"), "{CNTL+");
    EXPECT_EQ(TranslateTokens("é{CNTL}ü"), "é^ü");
}

// ---- the unit walk ----------------------------------------------------------------------

TEST(Units, ACharacterAPrefixedCharacterOrABraceGroupThenAnEmptyPass) {
    EXPECT_EQ(KeystrokeUnits("x{ENTER}^v"), (Units{"x", "{ENTER}", "^v", ""}));
    EXPECT_EQ(KeystrokeUnits("^{F4}"), (Units{"^{F4}", ""}));
    EXPECT_EQ(KeystrokeUnits("%{LEFT 3}+(a"), (Units{"%{LEFT 3}", "+(", "a", ""}));
    EXPECT_EQ(KeystrokeUnits("++a"), (Units{"++", "a", ""}));
    EXPECT_EQ(KeystrokeUnits("é+ü"), (Units{"é", "+ü", ""}));
    EXPECT_EQ(KeystrokeUnits("{{}{}}x^{}}"), (Units{"{{}", "{}}", "x", "^{}}", ""}));
    EXPECT_EQ(KeystrokeUnits(""), (Units{""}));
}

TEST(Units, ATrailingPrefixEndsTheWalkAndAnUnclosedBraceTakesTheRest) {
    EXPECT_EQ(KeystrokeUnits("a+"), (Units{"a", "+"}));
    EXPECT_EQ(KeystrokeUnits("^"), (Units{"^"}));
    EXPECT_EQ(KeystrokeUnits("ab{LEFT"), (Units{"a", "b", "{LEFT", ""}));
    EXPECT_EQ(KeystrokeUnits("x+{F"), (Units{"x", "+{F", ""}));
    EXPECT_EQ(KeystrokeUnits("{"), (Units{"{", ""}));
}

// ---- running a step --------------------------------------------------------------------

class Step : public ::testing::Test {
protected:
    // One keystroke text run to its end; the waits it asked for go into `waits` (0: a breath
    // for the program's messages between two batches). True when all of it was typed.
    bool RunKeystrokeStep(std::string_view keys, int pause) {
        PlanRun run({{target, {.caption = "Editor"}}, KeystrokeSteps(keys, pause)});
        for (;;) {
            const PlanRun::Progress p = run.Advance(desk);
            if (p.kind == PlanRun::Progress::Kind::Finished) break;
            if (p.kind == PlanRun::Progress::Kind::Wait) waits.push_back(p.ms);
        }
        return run.Result() == ActionResult::Done;
    }
    void Clear() {
        desk.calls.clear();
        waits.clear();
    }

    FakeDesktop desk;
    WindowHandle target = desk.AddWindow("Untitled - Editor");
    std::vector<std::uint32_t> waits;
};

TEST_F(Step, WithAPauseTheWindowComesForwardOnceThenEachUnitIsTypedAndWaitedFor) {
    RunKeystrokeStep("ab", 2);
    EXPECT_EQ(desk.Ops(), (std::vector<Op>{Op::BringForward, Op::Inject, Op::Inject}));
    EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Ch('a')}, {Ch('b')}}));
    EXPECT_EQ(waits, (std::vector<std::uint32_t>{2000, 2000, 2000}));
    EXPECT_EQ(desk.CallsOf(Op::BringForward).front().window, target);
}

TEST_F(Step, UnitsAreTypedAsWholeKeys) {
    RunKeystrokeStep("x{ENTER}^v", 1);
    EXPECT_EQ(desk.Typed(),
              (std::vector<KeySequence>{{Ch('x')}, {Vk(vk::kReturn)}, {Ch('v', kCtrl)}}));
    EXPECT_EQ(waits.size(), 4u);

    Clear();
    RunKeystrokeStep("^{F4}", 1);
    EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Vk(vk::kF1 + 3, kCtrl)}}));
}

// A long text goes in a few strokes at a time, the program breathing between them.
TEST_F(Step, WithoutAPauseOneBringingForwardAndTheTextInBatches) {
    for (int pause : {0, -3}) {
        Clear();
        RunKeystrokeStep("+abc{LEFT 2}", pause);
        EXPECT_EQ(desk.Ops(), (std::vector<Op>{Op::BringForward, Op::Inject})) << pause;
        EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Ch('a', kShift), Ch('b'), Ch('c'),
                                                           Vk(vk::kLeft), Vk(vk::kLeft)}}));
        EXPECT_TRUE(waits.empty());
    }
    Clear();
    RunKeystrokeStep("{a 20}", 0);
    EXPECT_EQ(desk.Ops(), (std::vector<Op>{Op::BringForward, Op::Inject, Op::Inject, Op::Inject}));
    EXPECT_EQ(desk.Typed().back().size(), 4u);
    EXPECT_EQ(waits, (std::vector<std::uint32_t>{0, 0}));
}

TEST_F(Step, TokensAreTranslatedBeforeTyping) {
    RunKeystrokeStep("{CNTL}s", 0);
    RunKeystrokeStep("{SHIFT}a{CNTL}c{ALT}{F4}", 0);
    EXPECT_EQ(desk.Typed(),
              (std::vector<KeySequence>{{Ch('s', kCtrl)},
                                        {Ch('a', kShift), Ch('c', kCtrl), Vk(vk::kF1 + 3, kAlt)}}));
    // With a pause the translated prefix forms a unit with its key.
    Clear();
    RunKeystrokeStep("{CNTL}a{CNTL}c", 1);
    EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Ch('a', kCtrl)}, {Ch('c', kCtrl)}}));
}

// A text, or a unit, that types nothing leaves the window where it is.
TEST_F(Step, WhatTypesNothingTouchesNothingAndTheWalkGoesOn) {
    RunKeystrokeStep("a{BOGUS}b", 1);
    EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Ch('a')}, {Ch('b')}}));
    EXPECT_EQ(desk.CallsOf(Op::BringForward).size(), 1u);
    EXPECT_EQ(waits.size(), 4u);

    Clear();
    RunKeystrokeStep("a^", 1);
    EXPECT_EQ(desk.Ops(), (std::vector<Op>{Op::BringForward, Op::Inject}));
    EXPECT_EQ(waits.size(), 2u);

    for (const char* nothing : {"{lower}{SHIFT}", "{SHIFT}", ""}) {
        Clear();
        EXPECT_TRUE(RunKeystrokeStep(nothing, 0));
        EXPECT_TRUE(desk.Ops().empty()) << nothing;
    }
    Clear();
    RunKeystrokeStep("", 2);
    EXPECT_TRUE(desk.Ops().empty());
    EXPECT_EQ(waits, std::vector<std::uint32_t>{2000});
}

// Keys go only into the window brought to the front, and only while it stays there: typed
// anyway, they would land in whatever has the focus. The run types no more, pauses and all.
TEST_F(Step, KeysGoOnlyIntoTheWindowInFrontAndTheRunTypesNoMoreWhenItIsNot) {
    desk.activationWorks = false;
    EXPECT_FALSE(RunKeystrokeStep("hi", 1));
    EXPECT_TRUE(desk.Typed().empty());
    EXPECT_TRUE(waits.empty());

    desk.activationWorks = true;
    desk.batch = 2;
    desk.stealFrontAfter = 1;  // another window takes the front after the first batch
    EXPECT_FALSE(RunKeystrokeStep("abcde", 0));
    EXPECT_EQ(desk.Typed(), (std::vector<KeySequence>{{Ch('a'), Ch('b')}}));

    // Input the system took only in part was not typed: the keys end there too.
    desk.stealFrontAfter.reset();
    desk.injectionWorks = false;
    Clear();
    EXPECT_FALSE(RunKeystrokeStep("xy", 1));
    EXPECT_EQ(desk.Typed().size(), 1u);
}

}  // namespace
}  // namespace kvl

namespace kvl {
namespace {

TEST(ButtonCaption, IsReadAsTheUserReadsItOnTheButton) {
    EXPECT_TRUE(ButtonCaptionMatches("&No", "no"));
    EXPECT_TRUE(ButtonCaptionMatches("Don't &Save", "DON'T SAVE"));
    EXPECT_TRUE(ButtonCaptionMatches("Save &As...", "save as"));
    EXPECT_TRUE(ButtonCaptionMatches("Browse\xE2\x80\xA6", "Browse..."));
    EXPECT_TRUE(ButtonCaptionMatches("R&&D", "r&&d"));  // written as in the program
    EXPECT_TRUE(ButtonCaptionMatches("Save && E&xit", "Save & Exit"));  // as on the screen
    EXPECT_TRUE(ButtonCaptionMatches("&No", "&No"));
    EXPECT_FALSE(ButtonCaptionMatches("&Not now", "No"));
    EXPECT_FALSE(ButtonCaptionMatches("&No", ""));
}

}  // namespace
}  // namespace kvl
