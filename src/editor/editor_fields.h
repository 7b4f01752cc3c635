#pragma once
// What the monitor editor decides, apart from its window: the lists it offers, how its
// fields become a monitor and back, which slot a store goes to, and which open windows its
// caption list shows.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "monitors/monitor.h"
#include "monitors/settings.h"
#include "platform/screen_geometry.h"

namespace kvl {

inline constexpr int kKeystrokeSteps = 3;

inline constexpr std::array<std::string_view, 6> kWindowStateChoices{
    "(None)", "Close", "Hide", "Maximize", "Minimize", "Restore"};

// Whole seconds only: a pause is kept as whole seconds, so half a second would quietly
// become no pause at all.
inline constexpr std::array<std::string_view, 10> kPauseChoices{"0", "1",  "2",  "3",  "5",
                                                                "7", "10", "20", "30", "60"};

inline constexpr std::string_view kNewMonitorName = "(New Monitor)";
inline constexpr std::string_view kMainWindowCaption = "Korvel 3.0";
inline constexpr std::string_view kEditorCaption = "Monitor Editor";

inline constexpr std::string_view kBadPauseMessage =
    "I need the pause as a whole number of seconds from 0 to 32767.";
inline constexpr std::string_view kTableFullMessage =
    "I can keep at most 50 monitors. Delete one before you add another.";

// The message for a caption pattern that does not compile, with what is wrong with it.
std::string BadPatternMessage(std::string_view problem);

// "(Monitor7)": the name a monitor gets when it has none, since an empty description would
// end the table.
std::string NumberedDescription(int slot);

// A pause box's text as whole seconds. Blanks around the number are allowed, and so is a
// fraction of zeros ("5.0"); anything that is not a whole number from 0 to 32767 is refused.
std::optional<std::int16_t> ParsePauseSeconds(std::string_view text);

// Check boxes hold unticked (0), ticked (1) or greyed (2); a stored value outside these
// leaves the box as it was.
constexpr bool CheckBoxAccepts(int value) {
    return value >= 0 && value <= 2;
}

// What the dialog shows, as text and check box values.
struct EditorFields {
    std::string Caption;
    std::int16_t ExactMatch = 0;
    std::string Name;
    std::string WindowState;
    std::array<std::string, kKeystrokeSteps> SendKeys;
    std::array<std::string, kKeystrokeSteps> SendKeysPause;
    std::int16_t Disable = 0;
    std::string Program;
    std::string WindowClass;
    std::string PressButton;
    std::int16_t CaptionPattern = 0;  // a two-state box: 1 ticked, 0 not
    // Where to put the window: each box as the user wrote it.
    std::string PositionX, PositionY, SizeW, SizeH;
    std::string Display;  // as the drop-down shows it: one of DisplayChoices, or typed
    std::int16_t OnTop = 0;
    std::string Opacity;
    std::int16_t RememberPlace = 0;
};

// The display drop-down: the window's own, the primary, the one under the pointer, then each
// display by its number and size.
std::vector<std::string> DisplayChoices(const std::vector<DisplayInfo>& displays);
// The stored Display value for what the drop-down shows ("2 (1280 x 1024)" is "2").
std::string StoredDisplay(std::string_view shown);
// And the other way round: what the drop-down shows for a stored value.
std::string ShownDisplay(std::string_view stored, const std::vector<DisplayInfo>& displays);

// The boxes filled from where a window stands now, as "Take Its Place" does.
void TakePlace(EditorFields& fields, const std::vector<DisplayInfo>& displays,
               const WindowPlaceFacts& window);

// The fields of a new monitor, as the dialog opens.
EditorFields NewMonitorFields();

// The fields showing slot `index`; a monitor without a description gets its numbered name.
EditorFields FieldsOfMonitor(const Monitor& monitor, int index);

struct StoreResult {
    enum class Outcome { Stored, BadPause, BadPattern, TableFull, BadPlace };
    Outcome outcome = Outcome::Stored;
    int slot = -1;               // the slot written, when stored
    int badPause = -1;           // the first refused pause box, for BadPause
    std::string patternProblem;  // for BadPattern
    enum class PlaceBox { Position, Size, Display, Opacity };
    PlaceBox badPlace = PlaceBox::Position;  // for BadPlace: the box to mend
    std::string placeProblem;                // and what is wrong with it
};

// Writes the fields into the slot the dialog edits. `recIndex` is that slot, or -1 for a
// monitor not stored yet: it then gets the first free slot, which it keeps from now on. A
// slot past the end of the table is treated the same way, so that a store never leaves a
// gap. Refused, with nothing written: a pause box that does not hold whole seconds, a caption
// meant as a pattern that does not compile, and a new monitor when all 50 slots are taken.
// Blanks around a program or class name go: no file or class name has them. An empty name
// becomes the numbered one, in `fields` too, so that the dialog can show it.
// Steps from `editableSteps` on are not shown to the user, who could not mend them: a pause
// there that an earlier release stored (a negative one, say) goes back as it came.
StoreResult StoreFields(EditorFields& fields, int& recIndex, MonitorTable& table,
                        int editableSteps = kKeystrokeSteps);

// The slot the dialog edits after the main window deleted slot `deleted` and closed the
// table up: later monitors move down one. Its own monitor gone, it edits a new one (-1).
int SlotAfterDeletion(int recIndex, int deleted);

// Whether an open window's caption belongs in the caption list: not empty, and neither the
// main window nor the editor itself (compared exactly).
bool CaptionListKeeps(std::string_view caption);

// Whether the finder takes the window it was let go over. KVL's own windows are told apart by
// their process: a caption says nothing, as any program may show one like ours.
constexpr bool FinderTakes(std::uint32_t windowProcess, std::uint32_t ownProcess) {
    return windowProcess != 0 && windowProcess != ownProcess;
}

// What the finder fills in for the Program field: the file name of the program's path, which
// still names it when the program is installed elsewhere.
std::string_view ProgramFileName(std::string_view path);

}  // namespace kvl
