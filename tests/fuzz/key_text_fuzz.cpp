// Arbitrary keystroke texts through the key-text grammar and the keystroke step with and
// without a pause: nothing crashes or runs on, and what is typed is what the text says.
//
// Input: the first byte picks the pause in seconds (its value modulo 4, so 0 to 3: the
// digits "0" to "3" pick themselves); the rest is the keystroke text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "engine/key_text.h"
#include "engine/keystroke_step.h"
#include "engine/plan_run.h"
#include "fakes/fake_desktop.h"

namespace {

using namespace kvl;
using fakes::FakeDesktop;

std::string_view g_input;

#define CHECK(cond) FUZZ_CHECK(cond, g_input)

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

// A stroke is a named key or a character, never both, and a character is a real one. Only
// modifiers a stroke holds can stay down after it, and nothing stays down after the last.
void CheckStrokes(const KeySequence& keys) {
    CHECK(keys.size() <= kMaxKeyStrokes);
    if (!keys.empty()) CHECK(keys.back().keepHeld == 0);
    for (const KeyStroke& k : keys) {
        CHECK((k.virtualKey != 0) != (k.character != 0));
        CHECK((k.modifiers & ~(kShift | kCtrl | kAlt)) == 0);
        CHECK((k.keepHeld & ~k.modifiers) == 0);
        CHECK(k.character <= 0x10FFFF && !(k.character >= 0xD800 && k.character <= 0xDFFF));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    g_input = std::string_view(reinterpret_cast<const char*>(data), size);
    const int pause = data[0] % 4;
    const std::string_view keys = g_input.substr(1);

    const std::optional<KeySequence> parsed = ParseKeyText(keys);
    if (parsed) CheckStrokes(*parsed);

    const std::string translated = TranslateTokens(keys);
    for (std::string_view token : {"{CNTL}", "{SHIFT}", "{ALT}"}) CHECK(!Contains(translated, token));
    CHECK(translated.size() <= keys.size());

    // The walk covers the text exactly, in order; only its last pass may be empty.
    const std::vector<std::string> units = KeystrokeUnits(translated);
    std::string joined;
    for (std::size_t u = 0; u < units.size(); ++u) {
        CHECK(!units[u].empty() || u + 1 == units.size());
        joined += units[u];
    }
    CHECK(joined == translated);
    CHECK(units.size() <= translated.size() + 1);

    FakeDesktop desktop;
    const WindowHandle target = desktop.AddWindow("Target window");
    desktop.AddWindow("Other window");
    PlanRun run({{target, {.caption = "Target"}}, KeystrokeSteps(keys, pause)});
    std::vector<std::uint32_t> pauses;
    for (PlanRun::Progress p = run.Advance(desktop); p.kind != PlanRun::Progress::Kind::Finished;
         p = run.Advance(desktop))
        if (p.kind == PlanRun::Progress::Kind::Wait && p.ms > 0) pauses.push_back(p.ms);

    const auto activations = desktop.CallsOf(FakeDesktop::Op::BringForward);
    const auto injections = desktop.CallsOf(FakeDesktop::Op::Inject);
    KeySequence typed;
    // A batch may end in the middle of a group (the typing lets go of the modifiers and
    // presses them again): the strokes are checked whole.
    for (const auto& i : injections) {
        CHECK(!i.keys.empty() && i.keys.size() <= kStrokesPerBatch);
        CHECK(i.window == target);
        typed.insert(typed.end(), i.keys.begin(), i.keys.end());
    }
    if (pause == 0 && !typed.empty()) CheckStrokes(typed);
    // The window comes forward once, and only when something is typed.
    CHECK(activations.size() == (injections.empty() ? 0u : 1u));
    if (pause == 0) {
        // At once: the whole text in batches, if it is well formed.
        CHECK(pauses.empty());
        const std::optional<KeySequence> whole = ParseKeyText(translated);
        CHECK(typed == (whole ? *whole : KeySequence{}));
    } else {
        // Unit by unit: one pause after every pass.
        CHECK(pauses.size() == units.size());
        for (std::uint32_t ms : pauses) CHECK(ms == static_cast<std::uint32_t>(pause) * 1000);
        KeySequence expected;
        for (const std::string& u : units)
            if (const std::optional<KeySequence> strokes = ParseKeyText(u)) {
                CheckStrokes(*strokes);
                expected.insert(expected.end(), strokes->begin(), strokes->end());
            }
        CHECK(typed == expected);
    }
    return 0;
}
