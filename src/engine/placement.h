#pragma once
// Where a monitor puts the window it found: the texts of its placement fields, and the
// arithmetic that turns them into a rectangle on one of the displays. The desktop only reads
// the displays and moves the window; everything decided about the place is decided here.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitors/monitor.h"
#include "platform/desktop.h"
#include "platform/screen_geometry.h"

namespace kvl {

// One coordinate or length as the user writes it: "120", "25%" or "center".
struct AxisValue {
    enum class Unit { Pixels, Percent, Center };
    Unit unit = Unit::Pixels;
    int value = 0;
    bool operator==(const AxisValue&) const = default;
};
using AxisPair = std::array<AxisValue, 2>;

struct DisplayChoice {
    enum class Kind { Own, Primary, Pointer, Number };
    Kind kind = Kind::Own;
    int number = 0;  // for Number
    bool operator==(const DisplayChoice&) const = default;
};

// A place the user left a window: its display's number, and the window's rectangle measured
// from that display's work area.
struct RememberedPlace {
    int display = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RememberedPlace&) const = default;
};

// "X,Y": whole pixels (negative too: a window may hang off an edge on purpose), a percentage
// from 0 to 100, or "center". Blanks around each part are allowed.
std::optional<AxisPair> ParsePosition(std::string_view text);
// "W,H": whole pixels from 1, or a percentage from 1 to 100.
std::optional<AxisPair> ParseSize(std::string_view text);
// "", "primary", "pointer", or a display's number from 1.
std::optional<DisplayChoice> ParseDisplay(std::string_view text);
// 20 to 100.
std::optional<int> ParseOpacity(std::string_view text);
// "n,X,Y,W,H".
std::optional<RememberedPlace> ParseRememberedPlace(std::string_view text);
std::string RememberedPlaceText(const RememberedPlace& place);

// What a monitor asks of its window's place, its fields read; a field that does not read is
// taken as not set (the editor and the import refuse such values; a hand-edited store may
// still hold one).
struct PlaceRequest {
    std::optional<AxisPair> position;
    std::optional<AxisPair> size;
    DisplayChoice display;
    std::optional<RememberedPlace> remembered;  // instead of position, size and display
    bool onTop = false;
    int opacity = 0;  // 0: left alone

    bool MovesWindow() const {
        return position || size || display.kind != DisplayChoice::Kind::Own || remembered;
    }
    bool Any() const { return MovesWindow() || onTop || opacity != 0; }
    bool operator==(const PlaceRequest&) const = default;
};
PlaceRequest PlaceRequestOf(const Monitor& monitor);

inline constexpr std::string_view kBadPositionMessage =
    "I need the position as X,Y: each a whole number of pixels, a percentage up to 100% or "
    "center.";
inline constexpr std::string_view kBadSizeMessage =
    "I need the size as W,H: each a whole number of pixels from 1, or a percentage from 1% to "
    "100%.";
inline constexpr std::string_view kBadDisplayMessage =
    "I need the display as primary, pointer or a display's number.";
inline constexpr std::string_view kBadOpacityMessage =
    "I need the opacity as a whole number from 20 to 100.";

// The message for the first placement field of the monitor that does not read, or nothing.
std::optional<std::string> PlacementFieldProblem(const Monitor& monitor);

struct PlaceOutcome {
    ScreenRect rect;   // the window's restored rectangle, on the virtual screen
    int display = 0;   // the number of the display it is placed on
    ScreenPoint at;    // its corner measured from that display's work area
    int missingDisplay = 0;  // the display asked for that is not there (the primary instead)
    bool movedOnly = false;  // a size was asked of a window that cannot be resized
    bool pulledIn = false;   // moved so that its title bar stays reachable
};

// Where the window goes. Pixels count from the chosen display's work area; percentages are of
// its width or height; a window that cannot be resized keeps its size. Asked for no position,
// the window keeps its corner's distance from its work area's, on whichever display. A place
// that leaves the title bar on no work area is pulled onto the chosen display's. Nothing when
// the desktop lists no display.
std::optional<PlaceOutcome> ComputePlace(const PlaceRequest& request,
                                         const std::vector<DisplayInfo>& displays,
                                         const WindowPlaceFacts& window, ScreenPoint pointer);

// "placed at 100,50 400 x 300 on display 2", and what else the user should know of it.
std::string PlacementText(const PlaceOutcome& outcome);

// The place to remember for a window standing at `window`, or nothing when its display is
// not listed.
std::optional<RememberedPlace> PlaceToRemember(const std::vector<DisplayInfo>& displays,
                                               const WindowPlaceFacts& window);

// Places the window, then keeps it on top and sets its opacity, as asked; `said` gets what
// was done, for the recent activity. False only when the window went before it could be
// placed; a window that cannot be placed is no failure of the run.
bool PlaceWindow(Desktop& desktop, const PlaceRequest& request, WindowHandle window,
                         std::string& said);

// "Arrange Open Windows": every enabled monitor's place, on top and opacity (no window-state
// action, no keys, no button) applied to the open windows it is meant for now, a window to
// the first monitor in the table that asks for it; `skip` keeps the program's own windows out.
// A window of higher rights is left alone. What was done, window by window.
struct ArrangedWindow {
    int slot = 0;
    WindowHandle window = 0;
    std::string said;
};
std::vector<ArrangedWindow> ArrangeOpenWindows(const MonitorTable& table, Desktop& desktop,
                                               const std::function<bool(WindowHandle)>& skip);

// The windows of "remember where I leave it" monitors that KVL placed, looked at about once a
// second while there are any: where one now stands becomes its monitor's remembered place. A
// window is known by its monitor's description as well as its slot, since the table may close
// up meanwhile.
class PlaceFollower {
public:
    struct Note {
        int slot = 0;
        std::string place;  // the new RememberedPlace
    };

    void Follow(int slot, std::string description, WindowHandle window);
    bool Any() const { return !followed_.empty(); }
    // Drops the windows that are gone; a window minimized or maximized has left no place.
    std::vector<Note> Look(Desktop& desktop, const MonitorTable& table);

private:
    struct Followed {
        int slot;
        std::string description;
        WindowHandle window;
    };
    std::vector<Followed> followed_;
};

}  // namespace kvl
