#include "platform/win32/window_watcher_win32.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <unordered_set>
#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

namespace {

constexpr UINT kProcessPendingMessage = WM_APP + 1;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kRecheckTimer = 2;
constexpr UINT kRecheckMs = 10;
// A new window is looked at again for this long: under Wine the create event is the only
// one that reaches other processes, and it comes before the window is shown or titled.
constexpr ULONGLONG kRecheckWindowMs = 2000;

constexpr wchar_t kSinkClass[] = L"KVL.WindowWatcherSink";

// Windows 8 and later; harmless where the system never raises it.
constexpr DWORD kEventObjectUncloaked = 0x8018;
constexpr DWORD kDwmCloaked = 14;

// Hooks are process-wide callbacks; this maps them back to their watcher (all on one thread).
std::vector<std::pair<HWINEVENTHOOK, Win32WindowWatcher*>>& HookOwners() {
    static std::vector<std::pair<HWINEVENTHOOK, Win32WindowWatcher*>> owners;
    return owners;
}

bool IsTopLevel(HWND hwnd) { return GetAncestor(hwnd, GA_ROOT) == hwnd; }

bool IsCloaked(HWND hwnd) {
    using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static const auto get =
        SystemFunction<DwmGetWindowAttributeFn>(L"dwmapi.dll", "DwmGetWindowAttribute");
    DWORD cloaked = 0;
    return get && SUCCEEDED(get(hwnd, kDwmCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

}  // namespace

WindowSnapshot SnapshotWindow(HWND hwnd) {
    WindowSnapshot snap;
    // Cheapest test first: most top-level windows are hidden, and for another process's
    // window each of these calls is a round trip to the window server. IsWindowVisible is
    // false for a handle that is no window, so it stands in for IsWindow too.
    if (!IsWindowVisible(hwnd) || !IsTopLevel(hwnd) || IsCloaked(hwnd)) return snap;
    wchar_t buffer[4096];
    const int n = InternalGetWindowText(hwnd, buffer, static_cast<int>(std::size(buffer)));
    snap.eligible = true;
    snap.caption = Narrow(std::wstring_view(buffer, static_cast<std::size_t>(std::max(n, 0))));
    return snap;
}

Win32WindowWatcher::Win32WindowWatcher() {
    static const WindowClass sinkClass(kSinkClass);
    sink_ = CreateRoutedWindow(*this, sinkClass, 0, L"", 0, {}, HWND_MESSAGE, nullptr);
}

Win32WindowWatcher::~Win32WindowWatcher() {
    RemoveHooks();
    if (sink_) DestroyWindow(sink_);
}

void Win32WindowWatcher::ClearWatches() {
    tracker_.ClearWatches();
    ++generation_;
}

void Win32WindowWatcher::AddWatch(const Watch& watch) {
    tracker_.AddWatch(watch);
    ++generation_;
}

void Win32WindowWatcher::MonitorStrength(std::int16_t level) {
    const WatchSchedule schedule = ScheduleForLevel(level);
    level_ = level;
    KillTimer(sink_, kPollTimer);
    // Processes are held open only while a watch asks for programs.
    if (!tracker_.NeedsProgram()) facts_.ForgetPrograms();
    if (schedule.pollMs == 0) {
        facts_.Clear();
        // Windows that open while nothing is watched are not reported later.
        RemoveHooks();
        KillTimer(sink_, kRecheckTimer);
        rechecks_.clear();
        pending_.clear();
        tracker_.RequireBaseline();
        Debug(L"KVL watcher: level %d, watching nothing\n", level);
        return;
    }
    if (schedule.eventHook) InstallHooks();
    else RemoveHooks();
    SetTimer(sink_, kPollTimer, static_cast<UINT>(schedule.pollMs), nullptr);
    EnsureBaseline();
    Debug(L"KVL watcher: level %d, poll %d ms, hook %d, %zu watches\n", level, schedule.pollMs,
          schedule.eventHook ? 1 : 0, tracker_.WatchCount());
}

void Win32WindowWatcher::InstallHooks() {
    if (!hooks_.empty()) return;
    static constexpr std::pair<DWORD, DWORD> kRanges[] = {
        {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
        {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW},  // create, destroy, show
        {EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS},
        {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
        {kEventObjectUncloaked, kEventObjectUncloaked},
    };
    for (auto [first, last] : kRanges) {
        HWINEVENTHOOK hook =
            SetWinEventHook(first, last, nullptr, OnWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (!hook) continue;
        HookOwners().emplace_back(hook, this);
        hooks_.emplace_back(hook);
    }
}

void Win32WindowWatcher::RemoveHooks() {
    auto& owners = HookOwners();
    std::erase_if(owners, [this](const auto& entry) { return entry.second == this; });
    hooks_.clear();
}

void CALLBACK Win32WindowWatcher::OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd,
                                             LONG idObject, LONG idChild, DWORD, DWORD) {
    if (!hwnd || idObject != OBJID_WINDOW || idChild != CHILDID_SELF) return;
    for (const auto& [h, watcher] : HookOwners()) {
        if (h == hook) {
            watcher->Record(event, hwnd);
            return;
        }
    }
}

// Runs for every window event in the session: record and return; matching runs later.
void Win32WindowWatcher::Record(DWORD event, HWND hwnd) {
    if (event == EVENT_OBJECT_DESTROY) {
        tracker_.Forget(reinterpret_cast<WindowHandle>(hwnd));
        facts_.Forget(hwnd);
        return;
    }
    pending_.push_back(hwnd);
    if (!pendingPosted_) pendingPosted_ = PostMessageW(sink_, kProcessPendingMessage, 0, 0);
}

LRESULT Win32WindowWatcher::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kProcessPendingMessage) {
        ProcessPending();
        return 0;
    }
    if (msg == WM_TIMER && wp == kPollTimer) {
        Poll();
        return 0;
    }
    if (msg == WM_TIMER && wp == kRecheckTimer) {
        ProcessRechecks();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32WindowWatcher::EnsureBaseline() {
    if (!tracker_.NeedsBaseline() || level_ <= 0) return;
    const std::vector<HWND> windows = TopLevelHwnds();
    std::vector<WindowSnapshot> snaps;
    snaps.reserve(windows.size());
    std::vector<WindowView> views;
    views.reserve(windows.size());
    for (HWND h : windows) snaps.push_back(SnapshotWindow(h));
    for (std::size_t k = 0; k < windows.size(); ++k) views.push_back(ViewOf(windows[k], snaps[k]));
    tracker_.Baseline(views);
}

void Win32WindowWatcher::ProcessPending() {
    pendingPosted_ = false;
    if (level_ <= 0) {
        pending_.clear();
        return;
    }
    EnsureBaseline();
    std::vector<HWND> batch;
    batch.swap(pending_);
    std::sort(batch.begin(), batch.end());
    batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
    const unsigned generation = generation_;
    for (HWND h : batch) {
        if (generation != generation_ || level_ <= 0) break;
        // GetAncestor gives no window for a handle that is gone, so this also drops those.
        if (IsTopLevel(h)) Observe(h, true);
    }
}

WindowView Win32WindowWatcher::ViewOf(HWND hwnd, const WindowSnapshot& snap) {
    WindowView view{reinterpret_cast<WindowHandle>(hwnd), snap.eligible, snap.caption};
    // Only a shown window can match, and only a watch that asks for them needs its class or
    // program: for every other window this costs nothing.
    const bool wantClass = tracker_.NeedsClass(), wantProgram = tracker_.NeedsProgram();
    if (snap.eligible && (wantClass || wantProgram)) {
        const WindowFacts::Facts& facts = facts_.Of(hwnd, wantClass, wantProgram);
        view.windowClass = facts.windowClass;
        view.program = facts.program;
    }
    return view;
}

void Win32WindowWatcher::Observe(HWND hwnd, bool recheckIfUnsettled) {
    const WindowSnapshot snap = SnapshotWindow(hwnd);
    const auto opened = tracker_.Observe(ViewOf(hwnd, snap));
    if (!opened.empty()) {
        Report(opened, hwnd);
        return;
    }
    // Not shown yet: look again shortly, as the window is likely still being set up.
    if (recheckIfUnsettled && !snap.eligible) {
        const bool known = std::any_of(rechecks_.begin(), rechecks_.end(),
                                       [hwnd](const Recheck& r) { return r.window == hwnd; });
        if (!known) {
            rechecks_.push_back({hwnd, GetTickCount64() + kRecheckWindowMs});
            SetTimer(sink_, kRecheckTimer, kRecheckMs, nullptr);
        }
    }
}

void Win32WindowWatcher::ProcessRechecks() {
    const ULONGLONG now = GetTickCount64();
    std::vector<Recheck> batch;
    batch.swap(rechecks_);
    const unsigned generation = generation_;
    for (const Recheck& r : batch) {
        if (generation != generation_ || level_ <= 0) break;
        const WindowSnapshot snap = SnapshotWindow(r.window);
        // Only a window that is not shown can be one that is gone.
        if (!snap.eligible && !IsWindow(r.window)) continue;
        const auto opened = tracker_.Observe(ViewOf(r.window, snap));
        if (!opened.empty()) Report(opened, r.window);
        else if (!snap.eligible && now < r.deadline) rechecks_.push_back(r);
    }
    if (rechecks_.empty()) KillTimer(sink_, kRecheckTimer);
}

void Win32WindowWatcher::Poll() {
    if (level_ <= 0) return;
    EnsureBaseline();
    const std::vector<HWND> windows = TopLevelHwnds();
    std::unordered_set<WindowHandle> alive;
    alive.reserve(windows.size());
    for (HWND h : windows) alive.insert(reinterpret_cast<WindowHandle>(h));
    tracker_.KeepOnly(alive);
    facts_.KeepOnly(alive);
    const unsigned generation = generation_;
    for (HWND h : windows) {
        if (generation != generation_ || level_ <= 0) break;
        Observe(h, false);
    }
}

void Win32WindowWatcher::Report(const std::vector<int>& watchIds, HWND hwnd) {
    const unsigned generation = generation_;
    for (int id : watchIds) {
        // A handler may re-register the watches; the rest of the ids then mean nothing.
        if (generation != generation_ || level_ <= 0) return;
        Debug(L"KVL watcher: window %p opened for watch %d\n", static_cast<void*>(hwnd), id);
        if (handler_) handler_(id, reinterpret_cast<WindowHandle>(hwnd));
    }
}

void Win32WindowWatcher::Debug(const wchar_t* format, ...) const {
    if (debugLevel_ <= 0) return;
    wchar_t line[512];
    va_list args;
    va_start(args, format);
    std::vswprintf(line, std::size(line), format, args);
    va_end(args);
    OutputDebugStringW(line);
}

}  // namespace kvl::win32
