// Arbitrary store contents through LoadSettings, SaveSettings and LoadSettings again: nothing
// crashes, what was loaded comes back exactly, and a save that fails part-way never loses a
// monitor the store held.
//
// The input is a small text, so that starting inputs can be written by hand:
//   [Section]            the section the following keys go to
//   Key=value            a value; \xHH, \n and \\ stand for a raw byte, a line break, "\"
//   Key*=N:text          text repeated to N bytes (a little over 1 MB at most)
//   !delete 1 4          after loading, mark these slots deleted
//   !add d|c|w|k0|...    after loading, add a monitor where the editor would put it:
//                        Description|Caption|WindowState|SendKeys0..2|Disable|ExactMatch|
//                        SendKeysPause0..2|Program|WindowClass|CaptionPattern, numbers as
//                        written (out of range: clamped)
//   !strength N          the selection the save writes (-1: none)
//   !fail N              the N-th write or section deletion of the save fails
//   !crash N             every write and deletion from the N-th on fails

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "fakes/memory_store.h"
#include "monitors/settings.h"

namespace {

using namespace kvl;
using fakes::MemoryStore;

constexpr std::size_t kLongestValue = (1u << 20) + 4096;
constexpr std::size_t kAllValues = kLongestValue;  // one huge value per run keeps it quick

#define CHECK(cond) FUZZ_CHECK(cond, g_input)

std::string_view g_input;

struct Plan {
    MemoryStore store;
    std::vector<int> deletions;
    std::vector<Monitor> additions;
    std::optional<int> strength;
    int failAt = -1;
    bool failFrom = false;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
        } else if (s[i + 1] == 'n') {
            out.push_back('\n');
            ++i;
        } else if (s[i + 1] == 'x' && i + 3 < s.size() && HexDigit(s[i + 2]) >= 0 &&
                   HexDigit(s[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3])));
            i += 3;
        } else {
            out.push_back(s[i + 1]);
            ++i;
        }
    }
    return out;
}

long Number(std::string_view s, long low, long high) {
    const std::string text(s.substr(0, 24));
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return std::clamp(v, low, high);
}

std::vector<std::string_view> Split(std::string_view s, char by) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = s.find(by);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

void Action(std::string_view line, Plan& plan) {
    const auto space = line.find(' ');
    const std::string_view verb = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
    if (verb == "!delete") {
        for (std::string_view slot : Split(rest, ' '))
            if (!slot.empty()) plan.deletions.push_back(static_cast<int>(Number(slot, 0, 50)));
    } else if (verb == "!add") {
        const auto f = Split(rest, '|');
        auto text = [&](std::size_t k) { return k < f.size() ? Unescape(f[k]) : std::string(); };
        auto number = [&](std::size_t k) {
            return static_cast<std::int16_t>(k < f.size() ? Number(f[k], -32768, 32767) : 0);
        };
        Monitor m;
        m.Description = text(0);
        m.Caption = text(1);
        m.WindowState = text(2);
        for (std::size_t k = 0; k < 3; ++k) m.SendKeys[k] = text(3 + k);
        m.Disable = number(6);
        m.ExactMatch = number(7);
        for (std::size_t k = 0; k < 3; ++k) m.SendKeysPause[k] = number(8 + k);
        m.Program = text(11);
        m.WindowClass = text(12);
        m.CaptionPattern = number(13);
        if (!m.Description.empty()) plan.additions.push_back(m);
    } else if (verb == "!strength") {
        plan.strength = static_cast<int>(Number(rest, -1, 5));
    } else if (verb == "!fail" || verb == "!crash") {
        plan.failAt = static_cast<int>(Number(rest, 0, 10000));
        plan.failFrom = verb == "!crash";
    }
}

Plan Decode(std::string_view input) {
    Plan plan;
    std::string section = "General";
    std::size_t budget = kAllValues;
    for (std::string_view line : Split(input, '\n')) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = Unescape(line.substr(1, line.size() - 2));
        } else if (!line.empty() && line.front() == '!') {
            Action(line, plan);
        } else if (const auto eq = line.find('='); eq != std::string_view::npos) {
            std::string key = Unescape(line.substr(0, eq));
            std::string value = Unescape(line.substr(eq + 1));
            if (!key.empty() && key.back() == '*') {
                key.pop_back();
                const auto colon = value.find(':');
                const std::string piece =
                    colon == std::string::npos ? std::string("x") : value.substr(colon + 1);
                const auto size = std::min<std::size_t>(
                    budget, static_cast<std::size_t>(Number(value, 0, kLongestValue)));
                value = piece;
                while (!value.empty() && value.size() < size) value += value;
                value.resize(std::min(value.size(), size));
            }
            budget -= std::min(budget, value.size());
            plan.store.sections[section][key] = std::move(value);
        }
    }
    return plan;
}

// Passes everything on to the memory store and notes where the save writes and deletes.
class WatchedStore final : public SettingsStore {
public:
    explicit WatchedStore(MemoryStore& inner) : inner_(inner) {}
    std::optional<std::string> Read(std::string_view section, std::string_view key) override {
        return inner_.Read(section, key);
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        touched.emplace_back(section, key);
        return inner_.Write(section, key, value);
    }
    bool DeleteSection(std::string_view section) override {
        touched.emplace_back(section, "");
        return inner_.DeleteSection(section);
    }
    std::vector<std::string> Keys(std::string_view section) override {
        return inner_.Keys(section);
    }
    bool DeleteKey(std::string_view section, std::string_view key) override {
        touched.emplace_back(section, key);
        return inner_.DeleteKey(section, key);
    }
    std::string KeyPath() const override { return inner_.KeyPath(); }

    std::vector<std::pair<std::string, std::string>> touched;  // key "" for a section's deletion

private:
    MemoryStore& inner_;
};

bool IsMonitorSection(std::string_view name) {
    for (int s = 0; s < kStoredSlots; ++s)
        if (name == MonitorSection(s)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_input = std::string_view(reinterpret_cast<const char*>(data), size);
    Plan plan = Decode(g_input);
    MemoryStore& store = plan.store;

    Settings settings;
    LoadSettings(store, settings);
    CHECK(settings.Strength >= 0 && settings.Strength <= 5);
    const int count = MonitorCount(settings.Monitors);
    const int loadedStrength = settings.Strength;

    // What the user then does: delete some, add some, pick a strength.
    std::vector<bool> deleted(static_cast<std::size_t>(count));
    for (int slot : plan.deletions) {
        if (slot >= count) continue;
        settings.Monitors[static_cast<std::size_t>(slot)].Deleted = -1;
        deleted[static_cast<std::size_t>(slot)] = true;
    }
    for (Monitor& m : plan.additions) {
        const int slot = FirstFreeMonitorSlot(settings.Monitors);
        if (slot < kStoredSlots) settings.Monitors[static_cast<std::size_t>(slot)] = std::move(m);
    }
    if (plan.strength) settings.Strength = *plan.strength;

    WatchedStore watched(store);
    store.failAt = plan.failAt;
    store.failFrom = plan.failFrom;
    SaveSettings(watched, settings);
    const bool failed = plan.failAt >= 0 && plan.failAt < store.steps;
    store.failAt = -1;

    // The save keeps to its own sections and never writes the debug level.
    for (const auto& [section, key] : watched.touched) {
        if (section == "General")
            CHECK(key == "Strength");
        else
            CHECK(IsMonitorSection(section));
    }

    Settings reloaded;
    LoadSettings(store, reloaded);
    const int reloadedCount = MonitorCount(reloaded.Monitors);
    const auto reloadedEnd = reloaded.Monitors.begin() + reloadedCount;
    CHECK(reloaded.DebugMode == settings.DebugMode);

    if (!failed) {
        // Exact: the kept monitors, in order, from Monitor0 on. A monitor stored past an old
        // gap may follow them once the table has grown up to that gap.
        std::size_t next = 0;
        for (int s = 0; s < MonitorCount(settings.Monitors); ++s) {
            const Monitor& m = settings.Monitors[static_cast<std::size_t>(s)];
            if (m.Deleted != 0) continue;
            CHECK(static_cast<int>(next) < reloadedCount);
            CHECK(reloaded.Monitors[next] == m);
            // Only the monitor's own keys: whatever else an older release left there is gone.
            // The registry knows no letter case in names, so "DisablE" is "Disable" there.
            std::set<std::string> names;
            for (std::string key : store.Keys(MonitorSection(static_cast<int>(next)))) {
                for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                names.insert(key);
            }
            const auto fields = MonitorFields();
            CHECK(names.size() == static_cast<std::size_t>(std::count_if(
                                      fields.begin(), fields.end(),
                                      [&](const MonitorField& f) { return IsWritten(f, m); })));
            ++next;
        }
        if (plan.additions.empty()) CHECK(reloadedCount == static_cast<int>(next));
        const int selected = settings.Strength;
        CHECK(reloaded.Strength == (selected >= 0 && selected <= 5 ? selected : 3));
    } else {
        // Part-way: every monitor the store held and the user kept is still there, maybe
        // twice. Those are the first `count` slots that were not marked deleted.
        for (int s = 0; s < count; ++s) {
            if (deleted[static_cast<std::size_t>(s)]) continue;
            const Monitor& m = settings.Monitors[static_cast<std::size_t>(s)];
            CHECK(std::find(reloaded.Monitors.begin(), reloadedEnd, m) != reloadedEnd);
        }
        if (!plan.strength) CHECK(reloaded.Strength == loadedStrength);
    }
    return 0;
}
