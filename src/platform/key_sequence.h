#pragma once
// Keystrokes as the desktop types them: what a key text stands for once it is parsed.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvl {

// Modifier flags of a KeyStroke.
enum KeyModifier : std::uint8_t {
    kShift = 1,
    kCtrl = 2,
    kAlt = 4,
};

// Virtual-key codes of the named keys. They are the system's numbers, kept here so the
// grammar can be checked without the platform headers.
namespace vk {
inline constexpr std::uint16_t kCancel = 0x03;  // Break
inline constexpr std::uint16_t kBack = 0x08;
inline constexpr std::uint16_t kTab = 0x09;
inline constexpr std::uint16_t kReturn = 0x0D;
inline constexpr std::uint16_t kCapital = 0x14;
inline constexpr std::uint16_t kEscape = 0x1B;
inline constexpr std::uint16_t kPrior = 0x21;  // Page Up
inline constexpr std::uint16_t kNext = 0x22;   // Page Down
inline constexpr std::uint16_t kEnd = 0x23;
inline constexpr std::uint16_t kHome = 0x24;
inline constexpr std::uint16_t kLeft = 0x25;
inline constexpr std::uint16_t kUp = 0x26;
inline constexpr std::uint16_t kRight = 0x27;
inline constexpr std::uint16_t kDown = 0x28;
inline constexpr std::uint16_t kSnapshot = 0x2C;  // Print Screen
inline constexpr std::uint16_t kInsert = 0x2D;
inline constexpr std::uint16_t kDelete = 0x2E;
inline constexpr std::uint16_t kHelp = 0x2F;
inline constexpr std::uint16_t kMultiply = 0x6A;
inline constexpr std::uint16_t kAdd = 0x6B;
inline constexpr std::uint16_t kSubtract = 0x6D;
inline constexpr std::uint16_t kDivide = 0x6F;
inline constexpr std::uint16_t kF1 = 0x70;  // F1 to F16 are consecutive
inline constexpr std::uint16_t kNumLock = 0x90;
inline constexpr std::uint16_t kScroll = 0x91;
}  // namespace vk

// One key press: either a named key (virtualKey != 0) or a character, which the injector
// maps to a key of the target's layout or sends as Unicode input.
struct KeyStroke {
    std::uint16_t virtualKey = 0;
    char32_t character = 0;
    std::uint8_t modifiers = 0;  // KeyModifier flags held while the key goes down and up
    // Those of `modifiers` that stay down for the next stroke, because both belong to one
    // group ("^(ab)" holds Ctrl across a and b); the others go up after this key.
    std::uint8_t keepHeld = 0;

    bool operator==(const KeyStroke&) const = default;
};

using KeySequence = std::vector<KeyStroke>;

// The most keystrokes one key text may stand for.
inline constexpr std::size_t kMaxKeyStrokes = 65536;

}  // namespace kvl
