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
    RunAtOnce(desktop, {{target, {.caption = "Target"}}, KeystrokeSteps(keys, pause)});

    const auto activations = desktop.CallsOf(FakeDesktop::Op::Activate);
    const auto injections = desktop.CallsOf(FakeDesktop::Op::Inject);
    const auto sleeps = desktop.CallsOf(FakeDesktop::Op::Sleep);
    for (const auto& i : injections) {
        CHECK(!i.keys.empty());
        CheckStrokes(i.keys);
        CHECK(i.window == target);
    }
    if (pause == 0) {
        // At once: one activation, and the whole text typed in one go if it is well formed.
        CHECK(activations.size() == 1 && sleeps.empty());
        const std::optional<KeySequence> whole = ParseKeyText(translated);
        CHECK(injections.size() == (whole && !whole->empty() ? 1u : 0u));
        if (!injections.empty()) CHECK(injections[0].keys == *whole);
    } else {
        // Unit by unit: one pause after every pass, the window brought to the front once.
        CHECK(sleeps.size() == units.size());
        for (const auto& s : sleeps) CHECK(s.ms == static_cast<std::uint32_t>(pause) * 1000);
        std::size_t typed = 0;
        for (const std::string& u : units) {
            const std::optional<KeySequence> strokes = ParseKeyText(u);
            if (strokes && !strokes->empty()) {
                CHECK(typed < injections.size());
                CHECK(injections[typed].keys == *strokes);
                ++typed;
            }
        }
        CHECK(typed == injections.size());
        CHECK(activations.size() == (translated.empty() ? 0u : 1u));
    }
    return 0;
}
