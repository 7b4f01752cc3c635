#include "engine/placement.h"

#include <algorithm>
#include <charconv>

#include "engine/dispatch.h"
#include "platform/blanks.h"

namespace kvl {

namespace {

// Larger than any display yet made, and far from overflowing the arithmetic below.
constexpr int kMaxPixels = 100000;
// How much of the title bar must lie on a work area for the user to take hold of it.
constexpr int kGripPixels = 40;

std::optional<int> WholeNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    const char* from = text.data() + (text.front() == '+' ? 1 : 0);
    const auto [at, error] = std::from_chars(from, end, value);
    if (error != std::errc() || at != end || value < -kMaxPixels || value > kMaxPixels)
        return std::nullopt;
    return value;
}

// "120", "25%" or (when allowed) "center".
std::optional<AxisValue> Axis(std::string_view text, bool centreAllowed) {
    text = TrimBlanks(text);
    if (centreAllowed && (text == "center" || text == "centre" || text == "Center"))
        return AxisValue{AxisValue::Unit::Center, 0};
    if (text.ends_with('%')) {
        const auto n = WholeNumber(text.substr(0, text.size() - 1));
        if (!n || *n < 0 || *n > 100) return std::nullopt;
        return AxisValue{AxisValue::Unit::Percent, *n};
    }
    const auto n = WholeNumber(text);
    if (!n) return std::nullopt;
    return AxisValue{AxisValue::Unit::Pixels, *n};
}

std::vector<std::string_view> Parts(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string_view::npos ? text.npos : comma - from));
        if (comma == std::string_view::npos) return parts;
        from = comma + 1;
    }
}

const DisplayInfo* Numbered(const std::vector<DisplayInfo>& displays, int number) {
    for (const DisplayInfo& d : displays)
        if (d.number == number) return &d;
    return nullptr;
}

const DisplayInfo* Primary(const std::vector<DisplayInfo>& displays) {
    for (const DisplayInfo& d : displays)
        if (d.primary) return &d;
    return displays.empty() ? nullptr : &displays.front();
}

int Along(const AxisValue& v, int origin, int extent, int length) {
    switch (v.unit) {
        case AxisValue::Unit::Pixels: return origin + v.value;
        case AxisValue::Unit::Percent: return origin + extent * v.value / 100;
        case AxisValue::Unit::Center: return origin + (extent - length) / 2;
    }
    return origin;
}

int Length(const AxisValue& v, int extent) {
    return v.unit == AxisValue::Unit::Percent ? extent * v.value / 100 : v.value;
}

// Whether enough of the title bar lies on some work area, at a height the user can reach.
bool TitleBarReachable(const ScreenRect& rect, int bar, const std::vector<DisplayInfo>& displays) {
    const int grip = std::min(kGripPixels, std::max(rect.Width(), 1));
    return std::any_of(displays.begin(), displays.end(), [&](const DisplayInfo& d) {
        const int overlap = std::min(rect.right, d.work.right) - std::max(rect.left, d.work.left);
        return overlap >= grip && rect.top >= d.work.top && rect.top + bar <= d.work.bottom;
    });
}

}  // namespace

std::optional<AxisPair> ParsePosition(std::string_view text) {
    const auto parts = Parts(text);
    if (parts.size() != 2) return std::nullopt;
    const auto x = Axis(parts[0], true), y = Axis(parts[1], true);
    if (!x || !y) return std::nullopt;
    return AxisPair{*x, *y};
}

std::optional<AxisPair> ParseSize(std::string_view text) {
    const auto parts = Parts(text);
    if (parts.size() != 2) return std::nullopt;
    const auto w = Axis(parts[0], false), h = Axis(parts[1], false);
    if (!w || !h || w->value <= 0 || h->value <= 0) return std::nullopt;
    return AxisPair{*w, *h};
}

std::optional<DisplayChoice> ParseDisplay(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return DisplayChoice{};
    if (text == "primary") return DisplayChoice{DisplayChoice::Kind::Primary};
    if (text == "pointer") return DisplayChoice{DisplayChoice::Kind::Pointer};
    const auto n = WholeNumber(text);
    if (!n || *n < 1 || *n > 99) return std::nullopt;
    return DisplayChoice{DisplayChoice::Kind::Number, *n};
}

std::optional<int> ParseOpacity(std::string_view text) {
    const auto n = WholeNumber(text);
    if (!n || *n < 20 || *n > 100) return std::nullopt;
    return *n;
}

std::optional<RememberedPlace> ParseRememberedPlace(std::string_view text) {
    const auto parts = Parts(text);
    if (parts.size() != 5) return std::nullopt;
    std::array<int, 5> n{};
    for (std::size_t k = 0; k < 5; ++k) {
        const auto value = WholeNumber(parts[k]);
        if (!value) return std::nullopt;
        n[k] = *value;
    }
    if (n[0] < 1 || n[3] <= 0 || n[4] <= 0) return std::nullopt;
    return RememberedPlace{n[0], n[1], n[2], n[3], n[4]};
}

std::string RememberedPlaceText(const RememberedPlace& p) {
    return std::to_string(p.display) + "," + std::to_string(p.x) + "," + std::to_string(p.y) +
           "," + std::to_string(p.width) + "," + std::to_string(p.height);
}

PlaceRequest PlaceRequestOf(const Monitor& m) {
    PlaceRequest request;
    if (!m.Position.empty()) request.position = ParsePosition(m.Position);
    if (!m.Size.empty()) request.size = ParseSize(m.Size);
    request.display = ParseDisplay(m.Display).value_or(DisplayChoice{});
    if (m.RememberPlace == 1 && !m.RememberedPlace.empty())
        request.remembered = ParseRememberedPlace(m.RememberedPlace);
    request.onTop = m.OnTop == 1;
    if (m.Opacity != 0) request.opacity = ParseOpacity(std::to_string(m.Opacity)).value_or(0);
    return request;
}

std::optional<std::string> PlacementFieldProblem(const Monitor& m) {
    if (!m.Position.empty() && !ParsePosition(m.Position)) return std::string(kBadPositionMessage);
    if (!m.Size.empty() && !ParseSize(m.Size)) return std::string(kBadSizeMessage);
    if (!ParseDisplay(m.Display)) return std::string(kBadDisplayMessage);
    if (m.Opacity != 0 && !ParseOpacity(std::to_string(m.Opacity)))
        return std::string(kBadOpacityMessage);
    return std::nullopt;
}

std::optional<PlaceOutcome> ComputePlace(const PlaceRequest& request,
                                         const std::vector<DisplayInfo>& displays,
                                         const WindowPlaceFacts& window, ScreenPoint pointer) {
    const DisplayInfo* primary = Primary(displays);
    if (!primary) return std::nullopt;
    const DisplayInfo* current = Numbered(displays, window.display);
    if (!current) current = primary;

    PlaceOutcome out;
    const DisplayInfo* target = current;
    int wanted = 0;  // a display asked for by its number
    if (request.remembered) {
        wanted = request.remembered->display;
    } else {
        switch (request.display.kind) {
            case DisplayChoice::Kind::Own: break;
            case DisplayChoice::Kind::Primary: target = primary; break;
            case DisplayChoice::Kind::Pointer:
                for (const DisplayInfo& d : displays)
                    if (d.bounds.Contains(pointer)) target = &d;
                break;
            case DisplayChoice::Kind::Number: wanted = request.display.number; break;
        }
    }
    if (wanted != 0) {
        target = Numbered(displays, wanted);
        if (!target) {
            out.missingDisplay = wanted;
            target = primary;
        }
    }
    const ScreenRect& work = target->work;

    int width = window.restored.Width(), height = window.restored.Height();
    if (request.remembered) {
        width = request.remembered->width;
        height = request.remembered->height;
    } else if (request.size) {
        width = Length((*request.size)[0], work.Width());
        height = Length((*request.size)[1], work.Height());
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!window.resizable && (width != window.restored.Width() || height != window.restored.Height())) {
        out.movedOnly = true;
        width = window.restored.Width();
        height = window.restored.Height();
    }

    int left = work.left + (window.restored.left - current->work.left);
    int top = work.top + (window.restored.top - current->work.top);
    if (request.remembered) {
        left = work.left + request.remembered->x;
        top = work.top + request.remembered->y;
    } else if (request.position) {
        left = Along((*request.position)[0], work.left, work.Width(), width);
        top = Along((*request.position)[1], work.top, work.Height(), height);
    }

    const int bar = std::max(window.titleBar, 1);
    if (!TitleBarReachable({left, top, left + width, top + height}, bar, displays)) {
        // As KVL keeps its own windows: a window wider than the work area keeps its left edge
        // on it, one taller hangs below it.
        const int newLeft = std::max(std::min(left, work.right - width), work.left);
        const int newTop = std::max(std::min(top, work.bottom - bar), work.top);
        out.pulledIn = newLeft != left || newTop != top;
        left = newLeft;
        top = newTop;
    }
    out.rect = {left, top, left + width, top + height};
    out.display = target->number;
    out.at = {left - work.left, top - work.top};
    return out;
}

std::string PlacementText(const PlaceOutcome& o) {
    std::string text = "placed at " + std::to_string(o.at.x) + "," + std::to_string(o.at.y) + " " +
                       std::to_string(o.rect.Width()) + " x " + std::to_string(o.rect.Height()) +
                       " on display " + std::to_string(o.display);
    if (o.missingDisplay != 0)
        text += " (display " + std::to_string(o.missingDisplay) + " is not there: the primary)";
    if (o.movedOnly) text += " (moved only: it cannot be resized)";
    if (o.pulledIn) text += " (pulled in to keep its title bar reachable)";
    return text;
}

std::optional<RememberedPlace> PlaceToRemember(const std::vector<DisplayInfo>& displays,
                                               const WindowPlaceFacts& window) {
    const DisplayInfo* on = Numbered(displays, window.display);
    if (!on) return std::nullopt;
    const ScreenRect& r = window.restored;
    return RememberedPlace{on->number, r.left - on->work.left, r.top - on->work.top, r.Width(),
                           r.Height()};
}

bool PlaceWindow(Desktop& desktop, const PlaceRequest& request, WindowHandle window,
                         std::string& said) {
    if (!desktop.Exists(window)) return false;
    std::vector<std::string> done;
    if (request.MovesWindow()) {
        const std::optional<WindowPlaceFacts> facts = desktop.PlaceOf(window);
        const std::vector<DisplayInfo> displays = desktop.Displays();
        std::optional<PlaceOutcome> outcome;
        if (facts) outcome = ComputePlace(request, displays, *facts, desktop.PointerPosition());
        if (!outcome)
            done.push_back("not placed: its place could not be read");
        else if (desktop.SetPlace(window, outcome->rect, !outcome->movedOnly))
            done.push_back(PlacementText(*outcome));
        else
            done.push_back("not placed: Windows refused it");
    }
    if (request.onTop)
        done.push_back(desktop.SetOnTop(window, true) ? "kept on top" : "not kept on top");
    if (request.opacity != 0)
        done.push_back(desktop.SetOpacity(window, request.opacity)
                           ? "opacity " + std::to_string(request.opacity) + " %"
                           : "opacity not set");
    for (const std::string& part : done) said += (said.empty() ? "" : "; ") + part;
    return true;
}

std::vector<ArrangedWindow> ArrangeOpenWindows(const MonitorTable& table, Desktop& desktop,
                                               const std::function<bool(WindowHandle)>& skip) {
    std::vector<ArrangedWindow> arranged;
    std::vector<WindowHandle> taken;
    const std::vector<WindowHandle> windows = desktop.TopLevelWindows();
    const std::optional<std::uint32_t> own = desktop.IntegrityLevel(0);
    const int count = MonitorCount(table);
    for (int slot = 0; slot < count; ++slot) {
        const Monitor& m = table[static_cast<std::size_t>(slot)];
        const PlaceRequest request = PlaceRequestOf(m);
        if (m.Disable == 1 || m.Deleted != 0 || !request.Any()) continue;
        const Watch condition = WatchOf(m);
        for (WindowHandle w : windows) {
            if (std::find(taken.begin(), taken.end(), w) != taken.end() || (skip && skip(w)))
                continue;
            if (StillMeant(desktop, {w, condition}) != ActionResult::Done) continue;
            taken.push_back(w);
            if (RunsWithHigherRights(desktop.IntegrityLevel(w), own)) continue;
            ArrangedWindow done{slot, w, {}};
            if (PlaceWindow(desktop, request, w, done.said)) arranged.push_back(std::move(done));
        }
    }
    return arranged;
}

void PlaceFollower::Follow(int slot, std::string description, WindowHandle window) {
    for (Followed& f : followed_)
        if (f.window == window) {
            f = {slot, std::move(description), window};
            return;
        }
    followed_.push_back({slot, std::move(description), window});
}

std::vector<PlaceFollower::Note> PlaceFollower::Look(Desktop& desktop, const MonitorTable& table) {
    std::vector<Note> notes;
    std::vector<DisplayInfo> displays;
    const int count = MonitorCount(table);
    std::erase_if(followed_, [&](Followed& f) {
        if (!desktop.Exists(f.window)) return true;
        // Its monitor where it was, or where the table has moved it; gone or no longer
        // remembering, it has nothing to keep.
        const auto isIt = [&](int s) {
            const Monitor& m = table[static_cast<std::size_t>(s)];
            return m.Description == f.description && m.Deleted == 0 && m.RememberPlace == 1;
        };
        if (f.slot < 0 || f.slot >= count || !isIt(f.slot)) {
            int found = -1;
            for (int s = 0; s < count && found < 0; ++s)
                if (isIt(s)) found = s;
            if (found < 0) return true;
            f.slot = found;
        }
        const std::optional<WindowPlaceFacts> facts = desktop.PlaceOf(f.window);
        if (!facts || facts->state != WindowPlaceFacts::State::Normal) return false;
        if (displays.empty()) displays = desktop.Displays();
        const std::optional<RememberedPlace> place = PlaceToRemember(displays, *facts);
        if (!place) return false;
        const std::string text = RememberedPlaceText(*place);
        const bool noted = std::any_of(notes.begin(), notes.end(),
                                       [&](const Note& n) { return n.slot == f.slot; });
        if (!noted && table[static_cast<std::size_t>(f.slot)].RememberedPlace != text)
            notes.push_back({f.slot, text});
        return false;
    });
    return notes;
}

}  // namespace kvl
