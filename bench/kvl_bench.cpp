// Measures KVL.exe as a user meets it: how soon a watched window is acted on, what KVL costs
// while it waits, whether a burst of windows is handled completely, how much memory it
// holds, and how fast it types a long keystroke text while its window keeps answering. Each
// scenario prints a Markdown section on standard output; bench/run.sh puts the sections
// together into bench/results.md.
//
// Every detection, burst and idle section also runs the anchor, bench/min_watcher.cpp (the
// leanest watcher with KVL's means), interleaved with KVL's runs, and gives KVL's figures as
// ratios to it.
//
//   kvl_bench.exe latency [--count N] [--levels 0,1,2,3,4]
//   kvl_bench.exe burst   [--count N] [--span MS]
//   kvl_bench.exe idle    [--seconds S] [--rate WINDOWS_PER_SECOND]
//   kvl_bench.exe longtext [--keys N]
//   --baseline FILE.exe   also run an older build from the bench's folder, side by side
//   --i686 FILE.exe       also run the 32-bit build, copied into the bench's folder
//   --show noactivate     show the windows without activating them
//
// Every KVL run is a renamed copy of KVL.exe with a store of its own, preloaded with the
// monitors of the scenario; copies, stores, processes and windows are removed at the end.
//
// How "shown" and "hidden" are seen: a thread of the bench polls IsWindowVisible of the
// bench's windows in a tight loop (see VisibilityPoller). The thread that owns the windows
// carries out KVL's asynchronous hide when it next looks at its messages; it waits for
// messages with a 1 ms limit, so it wakes the moment the hide arrives.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/watch_tracker.h"
#include "platform/key_sequence.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl::bench {
namespace {

using wintest::ChildProcess;
using wintest::WaitFor;

constexpr wchar_t kMainCaption[] = L"Korvel 3.0";
constexpr WPARAM kExitApplication = 100;
constexpr int kMonitors = 50;
// Strength table index and the level it selects.
constexpr int kLevelOfIndex[] = {1, 2, 3, 4, 10};
constexpr int kDefaultStrengthIndex = 3;

// ---------------------------------------------------------------------------------------
// Time and messages

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Sleeps up to `ms`, waking at once for any message (sent ones included).
void WaitForMessage(DWORD ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void PumpFor(double ms) {
    const double end = NowMs() + ms;
    for (double now = NowMs(); now < end; now = NowMs()) {
        Pump();
        WaitForMessage(static_cast<DWORD>(std::max(1.0, end - now)));
    }
    Pump();
}

// Deterministic jitter, so runs are comparable and no schedule locks onto a timer's phase.
class Jitter {
public:
    double Between(double low, double high) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        const double unit = static_cast<double>(state_ >> 11) / 9007199254740992.0;
        return low + (high - low) * unit;
    }

private:
    unsigned long long state_ = 0x4b564cULL;
};

std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::wstring WFormat(const wchar_t* format, ...) {
    wchar_t buffer[512];
    va_list args;
    va_start(args, format);
    std::vswprintf(buffer, std::size(buffer), format, args);
    va_end(args);
    return buffer;
}

void Progress(const std::string& line) {
    std::fprintf(stderr, "kvl_bench: %s\n", line.c_str());
    std::fflush(stderr);
}

// ---------------------------------------------------------------------------------------
// The bench's own windows

HWND OpenHidden(const std::wstring& caption) {
    static const bool registered = [] {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"KVL.BenchWindow";
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    static int n = 0;
    const int k = n++;
    // Top left quarter of the screen: away from KVL's window at the lower right.
    return CreateWindowExW(0, L"KVL.BenchWindow", caption.c_str(), WS_OVERLAPPEDWINDOW,
                           10 + (k % 16) * 17, 10 + (k % 13) * 19, 220, 90, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

std::string MonitorCaption(int k) { return Format("[kvlbench M%02d]", k); }

std::wstring ProbeCaption(int i) {
    return WFormat(L"Bench probe %04d %hs", i, MonitorCaption(i % kMonitors).c_str());
}

// ---------------------------------------------------------------------------------------
// /proc of the Wine processes, read through the Z: drive. Under Wine 8, GetProcessTimes on
// another process's handle gives the caller's own times (KVL, the reference and the rest
// all read the same figure when tried), so the kernel's own accounting is used instead.

std::string ReadWhole(HANDLE file) {
    std::string text;
    char buffer[4096];
    OVERLAPPED at{};  // from the start each time: /proc files are made afresh on every read
    for (;;) {
        DWORD got = 0;
        at.Offset = static_cast<DWORD>(text.size());
        if (!ReadFile(file, buffer, sizeof buffer, &got, &at) || got == 0) break;
        text.append(buffer, got);
    }
    return text;
}

std::optional<std::string> ReadProcFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text = ReadWhole(f);
    CloseHandle(f);
    return text;
}

std::vector<std::wstring> ListDir(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (fd.cFileName[0] >= L'0' && fd.cFileName[0] <= L'9') names.emplace_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The Linux process whose command line holds `needle` (compared without letter case).
std::optional<int> UnixPidOf(const std::wstring& needle) {
    const std::string wanted = Lower(win32::Narrow(needle));
    for (const std::wstring& pid : ListDir(L"Z:\\proc")) {
        auto line = ReadProcFile(L"Z:\\proc\\" + pid + L"\\cmdline");
        if (!line) continue;
        std::replace(line->begin(), line->end(), '\0', ' ');
        if (Lower(*line).find(wanted) != std::string::npos) return _wtoi(pid.c_str());
    }
    return std::nullopt;
}

// CPU time of one Linux process: the sum of its threads' run time from schedstat
// (nanoseconds), and utime + stime from stat (clock ticks, dead threads included).
class ProcClock {
public:
    explicit ProcClock(int pid) : pid_(pid) { Relist(); }
    ~ProcClock() { Close(); }
    ProcClock(const ProcClock&) = delete;
    ProcClock& operator=(const ProcClock&) = delete;

    int Pid() const { return pid_; }

    unsigned long long RunNs() {
        // Threads come and go; look for new ones now and then.
        if (NowMs() - listedAt_ > 1000) Relist();
        unsigned long long total = 0;
        for (HANDLE f : tasks_) {
            const std::string text = ReadWhole(f);
            total += std::strtoull(text.c_str(), nullptr, 10);
        }
        return total;
    }

    unsigned long long Ticks() const {
        const auto stat = ReadProcFile(Dir() + L"\\stat");
        if (!stat) return 0;
        // Fields after the parenthesised name: state is field 3, utime 14, stime 15.
        const auto close = stat->rfind(')');
        if (close == std::string::npos) return 0;
        const char* p = stat->c_str() + close + 2;
        unsigned long long values[13] = {};
        for (int field = 3; field <= 15; ++field) {
            while (*p == ' ') ++p;
            if (field >= 14) values[field - 3] = std::strtoull(p, nullptr, 10);
            while (*p && *p != ' ') ++p;
        }
        return values[11] + values[12];
    }

    // A line of /proc/PID/status, in kB.
    long long StatusKb(const char* key) const {
        const auto status = ReadProcFile(Dir() + L"\\status");
        if (!status) return -1;
        const auto at = status->find(std::string(key) + ":");
        if (at == std::string::npos) return -1;
        return std::strtoll(status->c_str() + at + std::strlen(key) + 1, nullptr, 10);
    }

private:
    std::wstring Dir() const { return WFormat(L"Z:\\proc\\%d", pid_); }

    void Relist() {
        Close();
        for (const std::wstring& tid : ListDir(Dir() + L"\\task")) {
            HANDLE f = CreateFileW((Dir() + L"\\task\\" + tid + L"\\schedstat").c_str(),
                                   GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            if (f != INVALID_HANDLE_VALUE) tasks_.push_back(f);
        }
        listedAt_ = NowMs();
    }
    void Close() {
        for (HANDLE f : tasks_) CloseHandle(f);
        tasks_.clear();
    }

    int pid_;
    std::vector<HANDLE> tasks_;
    double listedAt_ = 0;
};

// ---------------------------------------------------------------------------------------
// KVL with a preloaded store

// A renamed copy of a KVL build from the bench's folder, so that it has a store of its own.
class ExeCopy {
public:
    explicit ExeCopy(const std::wstring& source) : app_(wintest::UniqueName(L"KVLBench")) {
        path_ = wintest::ExeDir() + L"\\" + app_ + L".exe";
        ok_ = CopyFileW((wintest::ExeDir() + L"\\" + source).c_str(), path_.c_str(), FALSE);
    }
    ~ExeCopy() {
        // The copy may still be shutting down; try for a moment before giving up.
        WaitFor([&] { return DeleteFileW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
                3000);
        RegDeleteTreeW(HKEY_CURRENT_USER,
                       (win32::Widen(kSettingsRoot) + L"\\" + app_).c_str());
    }
    ExeCopy(const ExeCopy&) = delete;
    ExeCopy& operator=(const ExeCopy&) = delete;
    bool Ok() const { return ok_; }
    const std::wstring& Path() const { return path_; }
    const std::wstring& AppName() const { return app_; }

private:
    std::wstring app_, path_;
    bool ok_ = false;
};

// Monitors as most keep them, or each also naming the program and class of the bench's
// windows with its caption as a pattern: all three conditions to be checked for a match.
enum class Conditions { None, ProgramClassPattern };

// The caption as a pattern that finds it: "[kvlbench M07]" is "\[kvlbench M07\]".
std::string AsPattern(const std::string& caption) {
    std::string pattern;
    for (char c : caption) {
        if (std::strchr("\\^$.|?*+()[]{}", c)) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

class Kvl {
public:
    Kvl(const std::wstring& exe, int strengthIndex, const std::vector<std::string>& captions,
        Conditions conditions = Conditions::None)
        : copy_(exe) {
        store_.Write("General", "Strength", std::to_string(strengthIndex));
        store_.Write("General", "DebugMode", "0");
        for (std::size_t k = 0; k < captions.size(); ++k) {
            const std::string section = "Monitor" + std::to_string(k);
            store_.Write(section, "Description", "bench monitor " + std::to_string(k));
            store_.Write(section, "Disable", "0");
            store_.Write(section, "ExactMatch", "0");
            if (conditions == Conditions::ProgramClassPattern) {
                store_.Write(section, "Caption", AsPattern(captions[k]));
                store_.Write(section, "CaptionPattern", "1");
                store_.Write(section, "Program", "kvl_bench.exe");
                store_.Write(section, "WindowClass", "KVL.BenchWindow");
            } else {
                store_.Write(section, "Caption", captions[k]);
            }
            store_.Write(section, "WindowState", "Hide");
            for (int step = 0; step < 3; ++step) {
                store_.Write(section, "SendKeysPause" + std::to_string(step), "0");
                store_.Write(section, "SendKeys" + std::to_string(step), "");
            }
        }
    }
    ~Kvl() { Stop(); }
    Kvl(const Kvl&) = delete;
    Kvl& operator=(const Kvl&) = delete;

    // Starts KVL and waits until it watches: its main window shows once the watches are
    // registered. The window is then closed to the tray, where a resident KVL lives.
    bool Start() {
        if (!copy_.Ok() || !process_.Start(L"\"" + copy_.Path() + L"\"")) return false;
        if (!WaitFor([&] {
                main_ = wintest::FindWindowByCaption(kMainCaption, process_.Id());
                return main_ && IsWindowVisible(main_);
            }, 30000))
            return false;
        PostMessageW(main_, WM_CLOSE, 0, 0);
        return WaitFor([&] { return !IsWindowVisible(main_); }, 10000);
    }

    void Stop() {
        if (!process_.Running()) return;
        if (main_) PostMessageW(main_, WM_COMMAND, kExitApplication, 0);
        if (!process_.Wait(10000)) process_.Kill();
    }

    // Monitor k types `keys` into its window instead of hiding it. Before Start.
    void TypeInto(std::size_t k, const std::string& keys) {
        const std::string section = "Monitor" + std::to_string(k);
        store_.Write(section, "WindowState", "");
        store_.Write(section, "SendKeys0", keys);
    }

    HANDLE Process() const { return process_.Process(); }
    HWND Main() const { return main_; }
    // The copy's file name, unique to this run, as it appears in the process's command line.
    std::wstring FileName() const { return copy_.AppName() + L".exe"; }

private:
    ExeCopy copy_;
    win32::RegistryStore store_{copy_.AppName()};
    ChildProcess process_;
    HWND main_ = nullptr;
};

// The anchor (bench/min_watcher.cpp): the leanest watcher of KVL's kind, with the same means.
// It polls every `pollMs`, and follows window events unless `hook` is false (KVL's level 10).
class MinWatcher {
public:
    MinWatcher(int pollMs, bool hook)
        : token_(wintest::UniqueName(L"KVLMinWatcher")), pollMs_(pollMs), hook_(hook) {}
    ~MinWatcher() { Stop(); }
    MinWatcher(const MinWatcher&) = delete;
    MinWatcher& operator=(const MinWatcher&) = delete;

    bool Start() {
        if (!process_.Start(WFormat(L"\"%ls\\kvl_min_watcher.exe\" %ls --poll %d%ls",
                                    wintest::ExeDir().c_str(), token_.c_str(), pollMs_,
                                    hook_ ? L"" : L" --no-hook")))
            return false;
        return WaitFor([&] {
            window_ = wintest::FindWindowByCaption(L"KVL min watcher " + token_, process_.Id());
            return window_ != nullptr;
        }, 20000);
    }
    void Stop() {
        if (!process_.Running()) return;
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (!process_.Wait(10000)) process_.Kill();
    }
    HANDLE Process() const { return process_.Process(); }
    const std::wstring& Token() const { return token_; }

private:
    std::wstring token_;
    int pollMs_;
    bool hook_;
    ChildProcess process_;
    HWND window_ = nullptr;
};

// What KVL does at a strength index, the anchor does too: the same poll, events or not.
WatchSchedule ScheduleOfIndex(int strengthIndex) {
    return ScheduleForLevel(static_cast<std::int16_t>(kLevelOfIndex[strengthIndex]));
}

std::vector<std::string> BenchCaptions() {
    std::vector<std::string> captions;
    for (int k = 0; k < kMonitors; ++k) captions.push_back(MonitorCaption(k));
    return captions;
}

// ---------------------------------------------------------------------------------------
// Opening windows and seeing them hidden

// How the bench shows its windows: activated, as a program opening its main window does, or
// not (--show noactivate), as a notification or a tool window does.
int g_showCommand = SW_SHOWNORMAL;

struct Schedule {
    int count = 200;
    bool oneAtATime = true;        // the next window opens only after this one was acted on
    double gapLowMs = 15, gapHighMs = 35;  // pause before the next window
    std::size_t maxOpen = 1;
    double timeoutMs = 5000;       // a window not hidden by then counts as missed
    bool benchHides = false;       // no KVL: the bench hides its windows itself
    int showCommand = g_showCommand;
};

struct Outcome {
    std::vector<double> latencies;  // ms from visible to hidden, of the windows acted on
    std::vector<double> showCalls;  // ms spent inside ShowWindow itself
    int opened = 0;
    int missed = 0;
    int neverSeenVisible = 0;  // hidden before the poller saw it shown (timed from the call)
    double firstShown = 0, lastShown = 0, lastHidden = 0;
};

// Watches the visible style of the bench's windows from a thread of its own, in a tight
// loop while any window is being followed: the thread that owns the windows is busy inside
// ShowWindow for milliseconds under Wine, and KVL's hide may land before that returns.
// Reading the style of this process's own windows waits on no other program.
class VisibilityPoller {
public:
    struct Probe {
        std::atomic<HWND> hwnd{nullptr};
        std::atomic<double> onAt{0}, offAt{0};
    };

    // hideOnSight: the poller itself hides each window the moment it sees it, as the
    // quickest possible watcher would; this is the floor that Wine sets.
    VisibilityPoller(std::size_t capacity, bool hideOnSight)
        : probes_(capacity), hideOnSight_(hideOnSight),
          wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~VisibilityPoller() {
        stop_ = true;
        SetEvent(wake_);
        thread_.join();
        CloseHandle(wake_);
    }
    VisibilityPoller(const VisibilityPoller&) = delete;
    VisibilityPoller& operator=(const VisibilityPoller&) = delete;

    Probe& operator[](std::size_t k) { return probes_[k]; }
    // Starts following probe k (the probes below `low` are finished with).
    void Follow(std::size_t k, HWND hwnd) {
        probes_[k].hwnd = hwnd;
        high_ = std::max(high_.load(), k + 1);
        SetEvent(wake_);
    }
    void Drop(std::size_t k) { probes_[k].hwnd = nullptr; }
    void SetLow(std::size_t low) { low_ = low; }

private:
    void Run() {
        while (!stop_) {
            bool any = false;
            const std::size_t high = high_;
            for (std::size_t k = low_; k < high; ++k) {
                Probe& p = probes_[k];
                HWND h = p.hwnd;
                if (!h || p.offAt > 0) continue;
                any = true;
                const bool visible = IsWindowVisible(h) != FALSE;
                const double now = NowMs();
                if (visible && p.onAt == 0) {
                    p.onAt = now;
                    if (hideOnSight_) ShowWindowAsync(h, SW_HIDE);
                } else if (!visible && p.onAt > 0) p.offAt = now;
            }
            if (!any) WaitForSingleObject(wake_, 5);
        }
    }

    std::vector<Probe> probes_;
    bool hideOnSight_;
    HANDLE wake_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> low_{0}, high_{0};
    std::thread thread_;
};

Outcome OpenAndWatch(const Schedule& plan) {
    struct Live {
        std::size_t probe;
        HWND hwnd;
        double callAt;
    };
    Outcome out;
    VisibilityPoller poller(static_cast<std::size_t>(plan.count), plan.benchHides);
    std::vector<Live> live;
    Jitter jitter;
    double nextAt = NowMs();
    auto dueToOpen = [&](double now) {
        return out.opened < plan.count && now >= nextAt && live.size() < plan.maxOpen &&
               !(plan.oneAtATime && !live.empty());
    };
    while (out.opened < plan.count || !live.empty()) {
        if (dueToOpen(NowMs())) {
            const auto k = static_cast<std::size_t>(out.opened);
            HWND hwnd = OpenHidden(ProbeCaption(out.opened));
            poller.Follow(k, hwnd);
            const double callAt = NowMs();
            ShowWindow(hwnd, plan.showCommand);
            out.showCalls.push_back(NowMs() - callAt);
            live.push_back({k, hwnd, callAt});
            if (out.opened == 0) out.firstShown = callAt;
            out.lastShown = callAt;
            ++out.opened;
            // Scheduled from the last due time, not from now: a slow open is caught up on.
            if (!plan.oneAtATime) nextAt += jitter.Between(plan.gapLowMs, plan.gapHighMs);
        }
        // KVL's hide arrives as a message to this thread, the windows' owner.
        Pump();
        for (std::size_t k = 0; k < live.size();) {
            VisibilityPoller::Probe& p = poller[live[k].probe];
            const double now = NowMs();
            const bool hidden = p.offAt > 0 || (p.onAt == 0 && !IsWindowVisible(live[k].hwnd));
            if (!hidden && now - live[k].callAt <= plan.timeoutMs) {
                ++k;
                continue;
            }
            if (hidden) {
                const double off = p.offAt > 0 ? p.offAt.load() : now;
                double on = p.onAt.load();
                if (on == 0) {
                    ++out.neverSeenVisible;
                    on = live[k].callAt;
                }
                out.latencies.push_back(off - on);
                out.lastHidden = std::max(out.lastHidden, off);
            } else {
                ++out.missed;
            }
            poller.Drop(live[k].probe);
            DestroyWindow(live[k].hwnd);
            if (plan.oneAtATime) nextAt = now + jitter.Between(plan.gapLowMs, plan.gapHighMs);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(k));
        }
        std::size_t low = static_cast<std::size_t>(out.opened);
        for (const Live& l : live) low = std::min(low, l.probe);
        poller.SetLow(low);
        if (!dueToOpen(NowMs())) WaitForMessage(1);
    }
    return out;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    // Nearest rank.
    std::size_t rank = static_cast<std::size_t>(std::ceil(p / 100.0 * values.size()));
    rank = std::clamp<std::size_t>(rank, 1, values.size());
    return values[rank - 1];
}

// ---------------------------------------------------------------------------------------
// Scenarios

// The builds compared: the one under test, and optionally an older one side by side.
struct Build {
    std::wstring exe;
    std::string label;
};

std::vector<Build> Builds(const std::wstring& baseline, const std::wstring& i686) {
    std::vector<Build> builds;
    if (!baseline.empty()) builds.push_back({baseline, "KVL (baseline build)"});
    builds.push_back({L"KVL.exe", i686.empty() ? "KVL" : "KVL x86_64"});
    if (!i686.empty()) builds.push_back({i686, "KVL i686"});
    return builds;
}

// A figure of KVL as a ratio to the anchor's, as the results show it.
std::string Ratio(double kvl, double anchor) {
    return anchor > 0 ? Format("%.2f", kvl / anchor) : std::string("-");
}

// Each run of a section: who ran, and with what outcome; the anchor's runs are marked.
struct Row {
    std::string who;
    Outcome outcome;
    bool anchor = false;
};

// The runs of one level or one burst, in the order they run. Around the anchor the order is
// mirrored (with several runs the anchor goes first one time and last the next), so that a
// drift in the machine's load falls on all alike.
struct Contender {
    std::string label;
    std::wstring exe;  // empty: the anchor
    Conditions conditions = Conditions::None;
};

std::vector<Contender> Contenders(const std::vector<Build>& builds) {
    std::vector<Contender> order{{"min watcher", L"", Conditions::None}};
    for (const Build& build : builds) {
        order.push_back({build.label, build.exe, Conditions::None});
        // The build under test runs once more with every monitor conditioned, right after its
        // caption-only run.
        if (build.exe == L"KVL.exe")
            order.push_back({build.label + ", with conditions", build.exe,
                             Conditions::ProgramClassPattern});
    }
    return order;
}

// Runs `plan` against one contender at one strength index; nothing when it did not start.
std::optional<Outcome> RunAgainst(const Contender& who, int strengthIndex, const Schedule& plan) {
    std::optional<MinWatcher> anchor;
    std::optional<Kvl> kvl;
    if (who.exe.empty()) {
        anchor.emplace(ScheduleOfIndex(strengthIndex).pollMs, ScheduleOfIndex(strengthIndex).eventHook);
        if (!anchor->Start()) return std::nullopt;
    } else {
        kvl.emplace(who.exe, strengthIndex, BenchCaptions(), who.conditions);
        if (!kvl->Start()) return std::nullopt;
    }
    PumpFor(1000);
    return OpenAndWatch(plan);
}

int Latency(int count, const std::vector<int>& indexes, const std::vector<Build>& builds) {
    std::printf("### Detection latency\n\n"
                "%d windows per level, each matching one of %d \"Hide\" monitors. A thread of "
                "the bench polls IsWindowVisible in a tight loop: latency is from the poll "
                "that first sees the window visible to the one that sees it hidden, in ms. "
                "\"Min watcher\" is the anchor (bench/min_watcher.cpp): the leanest "
                "cross-process watcher with KVL's means at that level (the same events, "
                "re-check list and poll period, the asynchronous hide), hiding every window "
                "whose caption starts with the bench's prefix; each KVL row gives its p50, p95 "
                "and p99 as a ratio to the anchor's run at the same level. The runs of a level "
                "follow each other, in the reverse order at every other level. "
                "\"With conditions\": each monitor also names the program (kvl_bench.exe) and the "
                "class of the bench's windows, and gives its caption as a pattern. "
                "\"Floor\" rows run without any watcher process: the polling thread itself hides "
                "each window the moment it sees it (the window's own thread has to carry out "
                "the hide, and it is still inside ShowWindow). The last column is how long the "
                "bench's ShowWindow call took.\n\n",
                count, kMonitors);
    std::printf("| Who hides | Level | Mode | Windows | Acted on | Missed | p50 | p95 | p99 "
                "| max | ShowWindow call p50 | p50 ÷ anchor | p95 ÷ anchor | p99 ÷ anchor |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    auto row = [](const std::string& who, const std::string& level, const char* mode,
                  const Outcome& o, const Outcome* anchor) {
        const double p50 = Percentile(o.latencies, 50), p95 = Percentile(o.latencies, 95),
                     p99 = Percentile(o.latencies, 99);
        std::string ratios = "- | - | -";
        if (anchor)
            ratios = Ratio(p50, Percentile(anchor->latencies, 50)) + " | " +
                     Ratio(p95, Percentile(anchor->latencies, 95)) + " | " +
                     Ratio(p99, Percentile(anchor->latencies, 99));
        std::printf("| %s | %s | %s | %d | %zu | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %s |\n",
                    who.c_str(), level.c_str(), mode, o.opened, o.latencies.size(), o.missed, p50,
                    p95, p99, Percentile(o.latencies, 100), Percentile(o.showCalls, 50),
                    ratios.c_str());
        if (o.neverSeenVisible)
            Progress(Format("%d windows hidden before seen visible", o.neverSeenVisible));
        std::fflush(stdout);
    };
    auto floor = [&](const char* when) {
        Schedule plan;
        plan.count = count;
        plan.benchHides = true;
        Progress(Format("latency: floor %s", when));
        row(Format("floor (%s)", when), "-", "one at a time", OpenAndWatch(plan), nullptr);
    };
    floor("before");
    int status = 0;
    for (std::size_t n = 0; n < indexes.size(); ++n) {
        const int index = indexes[n];
        const int level = kLevelOfIndex[index];
        std::vector<Contender> order = Contenders(builds);
        if (n % 2 == 1) std::reverse(order.begin(), order.end());
        Schedule plan;
        plan.count = count;
        const bool polling = level == 10;
        if (polling) {
            // Polling only: waiting for each window in turn would take a poll period
            // apiece, so windows open every 150 to 350 ms and are followed side by side.
            // Not faster: all of them belong to the bench's one thread, which carries
            // out the hides one after another after each poll, at tens of milliseconds
            // apiece under this Wine; at 20 windows a second that queue alone added
            // most of a second to the last window of each poll.
            plan.oneAtATime = false;
            plan.gapLowMs = 150;
            plan.gapHighMs = 350;
            plan.maxOpen = 200;
        }
        std::vector<Row> rows;
        for (const Contender& who : order) {
            Progress(Format("latency: %s, level %d", who.label.c_str(), level));
            const std::optional<Outcome> o = RunAgainst(who, index, plan);
            if (!o) {
                Progress(Format("%s did not start at strength index %d", who.label.c_str(), index));
                status = 1;
                continue;
            }
            if (o->missed) status = 1;
            rows.push_back({who.label, *o, who.exe.empty()});
        }
        const auto anchor = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.anchor; });
        for (const Row& r : rows)
            row(r.anchor ? r.who : Format("%s, strength index %d", r.who.c_str(), index),
                std::to_string(level), polling ? "overlapping" : "one at a time", r.outcome,
                r.anchor || anchor == rows.end() ? nullptr : &anchor->outcome);
    }
    floor("after");
    std::printf("\n");
    return status;
}

int Burst(int count, double spanMs, const std::vector<Build>& builds) {
    std::printf("### Burst\n\n"
                "%d matching windows (captions spread over %d \"Hide\" monitors), due one "
                "every %.1f ms at strength index %d (level %d); latency as above. The anchor "
                "(min watcher) runs first and last, every KVL run in between, in the order "
                "A B B A, so that a drift in the machine's load falls on all alike; each KVL "
                "row gives its p50 and p99 as a ratio to the anchor's two runs together. "
                "The floor row runs the same burst with no watcher process, the bench hiding "
                "each window itself the moment it sees it.\n\n",
                count, kMonitors, spanMs / count, kDefaultStrengthIndex,
                kLevelOfIndex[kDefaultStrengthIndex]);
    std::printf("| Who hides | Opened | Opening took (ms) | ShowWindow call p50 (ms) | Acted on "
                "| Missed | Last hidden after first shown (ms) | Last hidden after last shown "
                "(ms) | p50 | p99 | max | p50 ÷ anchor | p99 ÷ anchor |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    Schedule plan;
    plan.count = count;
    plan.oneAtATime = false;
    plan.gapLowMs = plan.gapHighMs = spanMs / count;
    plan.maxOpen = static_cast<std::size_t>(count);
    plan.timeoutMs = 20000;
    auto print = [&](const std::string& who, const Outcome& o, const Outcome* anchor) {
        const double p50 = Percentile(o.latencies, 50), p99 = Percentile(o.latencies, 99);
        std::string ratios = "- | -";
        if (anchor)
            ratios = Ratio(p50, Percentile(anchor->latencies, 50)) + " | " +
                     Ratio(p99, Percentile(anchor->latencies, 99));
        std::printf("| %s | %d | %.0f | %.2f | %zu | %d | %.0f | %.0f | %.2f | %.2f | %.2f | %s |\n",
                    who.c_str(), o.opened, o.lastShown - o.firstShown,
                    Percentile(o.showCalls, 50), o.latencies.size(), o.missed,
                    o.lastHidden - o.firstShown, o.lastHidden - o.lastShown, p50, p99,
                    Percentile(o.latencies, 100), ratios.c_str());
        std::fflush(stdout);
    };
    {
        PumpFor(1000);
        Schedule floor = plan;
        floor.benchHides = true;
        Progress(Format("burst: floor, %d windows", count));
        print("floor (no watcher)", OpenAndWatch(floor), nullptr);
    }
    // A B ... B A: the anchor first and last, the KVL runs mirrored between.
    std::vector<Contender> order = Contenders(builds);
    const std::vector<Contender> once = order;
    order.insert(order.end(), once.rbegin(), once.rend());
    std::vector<Row> rows;
    int status = 0;
    for (std::size_t n = 0; n < order.size(); ++n) {
        const Contender& who = order[n];
        Progress(Format("burst: %s, %d windows", who.label.c_str(), count));
        const std::optional<Outcome> o = RunAgainst(who, kDefaultStrengthIndex, plan);
        if (!o) {
            Progress(who.label + " did not start");
            status = 1;
            continue;
        }
        if (o->missed || static_cast<int>(o->latencies.size()) != count) status = 1;
        rows.push_back({who.label + (n < order.size() / 2 ? " (1st)" : " (2nd)"), *o,
                        who.exe.empty()});
    }
    // The anchor's two runs as one: their latencies pooled.
    Outcome anchor;
    bool haveAnchor = false;
    for (const Row& r : rows) {
        if (!r.anchor) continue;
        haveAnchor = true;
        anchor.latencies.insert(anchor.latencies.end(), r.outcome.latencies.begin(),
                                r.outcome.latencies.end());
    }
    for (const Row& r : rows)
        print(r.who, r.outcome, r.anchor || !haveAnchor ? nullptr : &anchor);
    std::printf("\n");
    return status;
}

// What one process did in one phase of the idle run.
struct PhaseUse {
    unsigned long long ns = 0, ticks = 0;
    long long activeSamples = 0;
    long long wakeups = 0;  // runs of consecutive looks in which it ran
};

struct Watched {
    std::string name;
    HANDLE process;
    std::wstring needle;  // finds its /proc entry
    int anchor = -1;      // the anchor process it is compared with, if any
    std::unique_ptr<ProcClock> clock;
    PhaseUse quiet, traffic;
    unsigned long long lastNs = 0;
    bool ranLastLook = false;
};

// The idle reference, plain or with the system libraries KVL links loaded too.
class Reference {
public:
    explicit Reference(bool withKvlLibraries)
        : token_(wintest::UniqueName(L"KVLIdleRef")), libraries_(withKvlLibraries) {}
    bool Start() {
        return process_.Start(L"\"" + wintest::ExeDir() + L"\\kvl_idle_ref.exe\" " + token_ +
                              (libraries_ ? L" --load-kvl-libraries" : L"")) &&
               WaitFor([&] {
                   return wintest::FindWindowByCaption(L"KVL idle reference", process_.Id());
               }, 20000);
    }
    HANDLE Process() const { return process_.Process(); }
    const std::wstring& Token() const { return token_; }

private:
    std::wstring token_;
    bool libraries_;
    ChildProcess process_;
};

// One phase of the idle run: `seconds` long, unrelated windows opening at `windowsPerSecond`
// (none at 0), every process looked at every 10 ms. Returns the time it took and the number
// of windows opened.
std::pair<double, int> IdlePhase(std::vector<Watched>& procs, PhaseUse Watched::*use,
                                 double seconds, double windowsPerSecond) {
    struct Open {
        HWND hwnd;
        double closeAt;
    };
    std::vector<Open> open;
    Jitter jitter;
    static int trafficOpened = 0;
    const int openedBefore = trafficOpened;
    std::vector<unsigned long long> ticks0;
    for (Watched& w : procs) {
        w.lastNs = w.clock->RunNs();
        w.ranLastLook = false;
        ticks0.push_back(w.clock->Ticks());
    }
    std::vector<unsigned long long> ns0;
    for (Watched& w : procs) ns0.push_back(w.lastNs);
    const double start = NowMs(), end = start + seconds * 1000;
    double nextWindow = windowsPerSecond > 0 ? start : end + 1, nextSample = start + 10;
    for (double now = NowMs(); now < end; now = NowMs()) {
        if (now >= nextWindow) {
            HWND h = OpenHidden(WFormat(L"Unrelated window %d", trafficOpened++));
            ShowWindow(h, SW_SHOWNORMAL);
            open.push_back({h, now + jitter.Between(300, 900)});
            nextWindow += 1000 / windowsPerSecond;
        }
        std::erase_if(open, [&](const Open& o) {
            if (now < o.closeAt) return false;
            DestroyWindow(o.hwnd);
            return true;
        });
        if (now >= nextSample) {
            for (Watched& w : procs) {
                const unsigned long long ns = w.clock->RunNs();
                const bool ran = ns > w.lastNs;
                PhaseUse& u = w.*use;
                if (ran) ++u.activeSamples;
                if (ran && !w.ranLastLook) ++u.wakeups;
                w.ranLastLook = ran;
                w.lastNs = ns;
            }
            nextSample += 10;
        }
        Pump();
        const double wake = std::min({nextWindow, nextSample, end});
        WaitForMessage(static_cast<DWORD>(std::max(1.0, wake - NowMs())));
    }
    const double elapsed = NowMs() - start;
    for (std::size_t k = 0; k < procs.size(); ++k) {
        PhaseUse& u = procs[k].*use;
        u.ns = procs[k].clock->RunNs() - ns0[k];
        u.ticks = procs[k].clock->Ticks() - ticks0[k];
    }
    for (const Open& o : open) DestroyWindow(o.hwnd);
    Pump();
    return {elapsed, trafficOpened - openedBefore};
}

int Idle(double seconds, double windowsPerSecond, const std::vector<Build>& builds) {
    const std::vector<std::string> captions = BenchCaptions();
    std::vector<std::unique_ptr<Kvl>> kvls;
    std::vector<std::unique_ptr<MinWatcher>> anchors;
    std::vector<Watched> procs;
    // The anchors first: each KVL row is compared with the anchor at its own level.
    int anchorOf[5] = {-1, -1, -1, -1, -1};
    for (int index : {kDefaultStrengthIndex, 4}) {
        const WatchSchedule schedule = ScheduleOfIndex(index);
        anchors.push_back(std::make_unique<MinWatcher>(schedule.pollMs, schedule.eventHook));
        if (!anchors.back()->Start()) {
            Progress("the min watcher did not start");
            return 1;
        }
        anchorOf[index] = static_cast<int>(procs.size());
        procs.push_back({Format("min watcher, level %d", kLevelOfIndex[index]),
                         anchors.back()->Process(), anchors.back()->Token()});
    }
    for (const Build& build : builds) {
        for (int index : {kDefaultStrengthIndex, 4}) {
            kvls.push_back(std::make_unique<Kvl>(build.exe, index, captions));
            if (!kvls.back()->Start()) {
                Progress(build.label + " did not start");
                return 1;
            }
            procs.push_back({Format("%s, level %d%s", build.label.c_str(), kLevelOfIndex[index],
                                    index == kDefaultStrengthIndex ? " (default)" : ""),
                             kvls.back()->Process(), kvls.back()->FileName(), anchorOf[index]});
        }
    }
    Reference ref(false), refLibraries(true);
    if (!ref.Start() || !refLibraries.Start()) {
        Progress("the idle reference did not start");
        return 1;
    }
    const std::size_t refAt = procs.size();
    procs.push_back({"idle reference", ref.Process(), ref.Token()});
    procs.push_back({"idle reference + KVL's system libraries loaded", refLibraries.Process(),
                     refLibraries.Token()});
    for (Watched& w : procs) {
        const std::optional<int> pid = UnixPidOf(w.needle);
        if (!pid) {
            Progress("no /proc entry for " + w.name);
            return 1;
        }
        w.clock = std::make_unique<ProcClock>(*pid);
    }
    PumpFor(3000);  // start-up is over

    std::printf("### Memory after start-up\n\n"
                "50 monitors; main window closed to the tray; 3 s after start-up. Working set "
                "from GetProcessMemoryInfo (Wine reports no private bytes for another "
                "process, so /proc's RssAnon stands in for them).\n\n");
    std::printf("| Process | Working set (KiB) | VmRSS (KiB) | RssAnon (KiB) | "
                "Working set minus reference's (KiB) |\n");
    std::printf("|---|---|---|---|---|\n");
    auto workingSet = [](HANDLE process) {
        PROCESS_MEMORY_COUNTERS_EX m{};
        m.cb = sizeof m;
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
        return static_cast<long long>(m.WorkingSetSize / 1024);
    };
    const long long refSet = workingSet(ref.Process());
    for (Watched& w : procs) {
        const long long set = workingSet(w.process);
        std::printf("| %s | %lld | %lld | %lld | %+lld |\n", w.name.c_str(), set,
                    w.clock->StatusKb("VmRSS"), w.clock->StatusKb("RssAnon"), set - refSet);
    }
    std::printf("\n");
    std::fflush(stdout);

    // First nothing at all opens; then another program's windows open and close a few times
    // a second, which is ordinary traffic. What a window costs is the second phase less what
    // the first costs in the same time.
    const double quietSeconds = std::max(5.0, seconds / 2);
    Progress(Format("idle: %.0f s with no window opening", quietSeconds));
    const auto [quietMs, quietOpened] = IdlePhase(procs, &Watched::quiet, quietSeconds, 0);
    (void)quietOpened;
    Progress(Format("idle: %.0f s with %.1f unrelated windows a second", seconds, windowsPerSecond));
    const auto [elapsed, trafficOpened] =
        IdlePhase(procs, &Watched::traffic, seconds, windowsPerSecond);

    struct PerWindow {
        double cpuMs, wakeups;
    };
    auto perWindow = [&, elapsed = elapsed, quietMs = quietMs,
                      trafficOpened = trafficOpened](const Watched& w) {
        const double scale = elapsed / quietMs;
        return PerWindow{
            (static_cast<double>(w.traffic.ns) - static_cast<double>(w.quiet.ns) * scale) / 1e6 /
                std::max(1, trafficOpened),
            (static_cast<double>(w.traffic.wakeups) - static_cast<double>(w.quiet.wakeups) * scale) /
                std::max(1, trafficOpened)};
    };
    const Watched& reference = procs[refAt];
    const double refNs = static_cast<double>(reference.traffic.ns);
    std::printf("### Idle cost\n\n"
                "First %.1f s with no window opening at all, then %.1f s with %d unrelated "
                "windows opened and closed by the bench, none matching any of the 50 monitors. "
                "CPU time of each Wine process from /proc (schedstat run time summed over its "
                "threads; utime+stime ticks beside it); every 10 ms the bench looks whether "
                "each process ran since the last look, and counts a wake-up for each run of "
                "looks in which it did. Per unrelated window: the second phase's figure less "
                "the first phase's over the same time, divided by the windows opened. "
                "\"Min watcher\" is the anchor at the same level (bench/min_watcher.cpp: the "
                "same events, re-check list and poll period); every process runs at the same "
                "time, so all see the same load.\n\n",
                quietMs / 1000, elapsed / 1000, trafficOpened);
    std::printf("| Process | No window: wake-ups per s | No window: share of one core | "
                "Traffic: CPU (ms) | Ticks | Share of one core | Ratio to reference | "
                "Looks in which it ran, per s | Wake-ups per s | CPU per unrelated window (ms) "
                "| Wake-ups per unrelated window | CPU per window ÷ anchor | Wake-ups per "
                "window ÷ anchor |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Watched& w : procs) {
        const double ns = static_cast<double>(w.traffic.ns);
        const PerWindow per = perWindow(w);
        std::string ratios = "- | -";
        if (w.anchor >= 0) {
            const PerWindow a = perWindow(procs[static_cast<std::size_t>(w.anchor)]);
            ratios = Ratio(per.cpuMs, a.cpuMs) + " | " + Ratio(per.wakeups, a.wakeups);
        }
        std::printf("| %s | %.2f | %.3f %% | %.1f | %llu | %.3f %% | %s | %.2f | %.2f | %.3f | "
                    "%.2f | %s |\n",
                    w.name.c_str(), static_cast<double>(w.quiet.wakeups) / (quietMs / 1000),
                    static_cast<double>(w.quiet.ns) / (quietMs * 1e6) * 100, ns / 1e6,
                    w.traffic.ticks, ns / (elapsed * 1e6) * 100,
                    refNs > 0 ? Format("%.2f", ns / refNs).c_str()
                              : (ns > 0 ? "reference used no CPU" : "-"),
                    static_cast<double>(w.traffic.activeSamples) / (elapsed / 1000),
                    static_cast<double>(w.traffic.wakeups) / (elapsed / 1000), per.cpuMs,
                    per.wakeups, ratios.c_str());
    }
    std::printf("\n");
    for (const Watched& w : procs) {
        if (w.name.find("level 10") == std::string::npos) continue;
        // A poll every 2 s is 0.5 wake-ups a second; anything polling busily would run in
        // most of the looks.
        std::printf("%s woke %lld times in the %.0f s of traffic (%.2f per s; its 2-second "
                    "poll accounts for %.0f) and ran in %lld of the looks. ",
                    w.name.c_str(), w.traffic.wakeups, elapsed / 1000,
                    static_cast<double>(w.traffic.wakeups) / (elapsed / 1000), elapsed / 2000,
                    w.traffic.activeSamples);
    }
    std::printf("\n\n");
    return 0;
}

// ---------------------------------------------------------------------------------------
// Placing windows, beside hiding them

// Of each window opened one at a time: ms from the ShowWindow call that first shows it to the
// moment it stands at the place its monitor gives it (its rectangle has changed: KVL's move
// comes as a message to this thread, the windows' owner, so it is seen the moment it lands).
Outcome OpenAndWaitForPlace(int count) {
    Outcome out;
    Jitter jitter;
    for (int i = 0; i < count; ++i) {
        HWND hwnd = OpenHidden(ProbeCaption(i));
        RECT before{};
        GetWindowRect(hwnd, &before);
        const double callAt = NowMs();
        ShowWindow(hwnd, g_showCommand);
        out.showCalls.push_back(NowMs() - callAt);
        ++out.opened;
        bool placed = false;
        while (NowMs() - callAt <= 5000) {
            Pump();
            RECT now{};
            GetWindowRect(hwnd, &now);
            if (!EqualRect(&now, &before)) {
                placed = true;
                break;
            }
            WaitForMessage(1);
        }
        if (placed)
            out.latencies.push_back(NowMs() - callAt);
        else
            ++out.missed;
        DestroyWindow(hwnd);
        PumpFor(jitter.Between(15, 35));
    }
    return out;
}

int Place(int count, const std::vector<Build>& builds) {
    std::printf("### Placing a window, beside hiding it\n\n"
                "%d windows per row, opened one at a time, each matching one of %d monitors at "
                "the strongest level. \"Place\": the monitors give Position 100,80 and Size "
                "400,300 and no window-state action; latency is from the ShowWindow call that "
                "shows the window to the moment it stands at its new place, in ms. \"Hide\": "
                "the same monitors with \"Hide\" and no place, timed as the detection latency "
                "is: from the poll that first sees the window visible to the one that sees it "
                "hidden.\n\n",
                count, kMonitors);
    std::printf("| Build | Action | Windows | Acted on | Missed | p50 | p95 | p99 | max |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    const auto row = [](const std::string& who, const char* action, const Outcome& o) {
        std::printf("| %s | %s | %d | %zu | %d | %.2f | %.2f | %.2f | %.2f |\n", who.c_str(),
                    action, o.opened, o.latencies.size(), o.missed, Percentile(o.latencies, 50),
                    Percentile(o.latencies, 95), Percentile(o.latencies, 99),
                    Percentile(o.latencies, 100));
        std::fflush(stdout);
    };
    int status = 0;
    for (const Build& build : builds) {
        for (const bool placing : {false, true}) {
            Kvl kvl(build.exe, 0, BenchCaptions());
            if (placing) {
                // The same monitors, set to place instead of hide.
                const std::wstring file = kvl.FileName();
                win32::RegistryStore store(file.substr(0, file.size() - 4));
                for (int k = 0; k < kMonitors; ++k) {
                    const std::string section = "Monitor" + std::to_string(k);
                    store.Write(section, "WindowState", "");
                    store.Write(section, "Position", "100,80");
                    store.Write(section, "Size", "400,300");
                }
            }
            if (!kvl.Start()) {
                Progress(Format("%s did not start", build.label.c_str()));
                status = 1;
                continue;
            }
            PumpFor(1000);
            Progress(Format("place: %s, %s", build.label.c_str(), placing ? "place" : "hide"));
            Outcome o;
            if (placing) {
                o = OpenAndWaitForPlace(count);
            } else {
                Schedule plan;
                plan.count = count;
                o = OpenAndWatch(plan);
            }
            row(build.label, placing ? "Place" : "Hide", o);
            if (o.missed) status = 1;
        }
    }
    std::printf("\n");
    return status;
}

// ---------------------------------------------------------------------------------------
// A long keystroke text

// A window of the end-to-end tests' factory, filled by an edit control that has the focus:
// what the keys go into.
class EditTarget {
public:
    explicit EditTarget(std::wstring caption) : caption_(std::move(caption)) {}
    ~EditTarget() { Close(); }
    EditTarget(const EditTarget&) = delete;
    EditTarget& operator=(const EditTarget&) = delete;

    bool Start() {
        if (!process_.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"edit:" + caption_ +
                            L"\""))
            return false;
        return WaitFor(
            [&] {
                window_ = wintest::FindWindowByCaption(caption_, process_.Id());
                edit_ = window_ ? FindWindowExW(window_, nullptr, L"EDIT", nullptr) : nullptr;
                return edit_ != nullptr && IsWindowVisible(window_);
            },
            20000);
    }
    void Close() {
        if (!process_.Running()) return;
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (!process_.Wait(10000)) process_.Kill();
    }
    HWND Window() const { return window_; }
    HWND Edit() const { return edit_; }
    // The whole text, read without risking a hang.
    std::wstring Text() const {
        std::vector<wchar_t> buffer(kMaxKeyStrokes + 1);
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(edit_, WM_GETTEXT, buffer.size(),
                            reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 5000,
                            &copied);
        return std::wstring(buffer.data(), static_cast<std::size_t>(copied));
    }

private:
    std::wstring caption_;
    ChildProcess process_;
    HWND window_ = nullptr, edit_ = nullptr;
};

// Follows the length of another program's edit control from a thread of its own (the bench's
// own typing sits inside SendInput meanwhile), every millisecond or so: when the first key
// arrived and when the last did. Each look is a message the target answers between two of
// its keys, alike for every typist.
class TextWatch {
public:
    TextWatch(HWND edit, std::size_t wanted)
        : edit_(edit), wanted_(wanted), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TextWatch() {
        stop_ = true;
        thread_.join();
        CloseHandle(done_);
    }
    TextWatch(const TextWatch&) = delete;
    TextWatch& operator=(const TextWatch&) = delete;

    // Until the text is as long as wanted, or the keys stopped coming: true if it is.
    bool Wait() {
        WaitForSingleObject(done_, INFINITE);
        return length_ >= wanted_;
    }
    double FirstAt() const { return firstAt_; }
    double LastAt() const { return lastAt_; }
    std::size_t FirstLength() const { return firstLength_; }
    std::size_t Length() const { return length_; }

private:
    // Keys that have not begun by then never will; one that stops this long has stopped.
    static constexpr double kNoStartMs = 60000, kStallMs = 20000;

    void Run() {
        const double start = NowMs();
        double changedAt = start;
        while (!stop_) {
            DWORD_PTR length = 0;
            const bool answered = SendMessageTimeoutW(edit_, WM_GETTEXTLENGTH, 0, 0,
                                                      SMTO_ABORTIFHUNG, 1000, &length) != 0;
            const double now = NowMs();
            if (answered && length != length_) {
                if (length_ == 0) {
                    firstAt_ = now;
                    firstLength_ = length;
                }
                length_ = length;
                changedAt = now;
                if (length_ >= wanted_) {
                    lastAt_ = now;
                    break;
                }
            }
            if (now - changedAt > (length_ == 0 ? kNoStartMs : kStallMs)) break;
            Sleep(1);
        }
        SetEvent(done_);
    }

    HWND edit_;
    std::size_t wanted_;
    HANDLE done_;
    std::atomic<bool> stop_{false};
    double firstAt_ = 0, lastAt_ = 0;
    std::size_t firstLength_ = 0, length_ = 0;
    std::thread thread_;
};

// One answer of a probe: when it was asked (ms), how long the answer took, and whether it came.
struct Answer {
    double at, ms;
    bool answered;
};

// Asks a window again and again from a thread of its own, timing each answer.
class Prober {
public:
    Prober(HWND window, bool posted) : window_(window), posted_(posted) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Prober() { Stop(); }
    Prober(const Prober&) = delete;
    Prober& operator=(const Prober&) = delete;

    const std::vector<Answer>& Stop() {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        }
        return answers_;
    }

private:
    // A probe that gives up after this long counts it as the answer's time, unanswered.
    static constexpr UINT kGiveUpMs = 10000;

    void Run() {
        const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
        while (!stop_) {
            const double at = NowMs();
            bool answered = false;
            if (posted_) {
                // Only the message loop takes a posted message, and KVL answers this one as
                // after a restart of the shell: it puts its icon back. So the icon is taken
                // away, the message posted, and the shell asked until the icon is there.
                wintest::RemoveShellIcon(window_);
                const double postedAt = NowMs();
                PostMessageW(window_, taskbarCreated, 0, 0);
                while (!(answered = wintest::ShellHasIcon(window_)) &&
                       NowMs() - postedAt < kGiveUpMs)
                    Sleep(1);
                answers_.push_back({postedAt, NowMs() - postedAt, answered});
                Sleep(20);
            } else {
                DWORD_PTR result = 0;
                answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kGiveUpMs,
                                               &result) != 0;
                answers_.push_back({at, NowMs() - at, answered});
                Sleep(1);
            }
        }
    }

    HWND window_;
    bool posted_;
    std::atomic<bool> stop_{false};
    std::vector<Answer> answers_;
    std::thread thread_;
};

// The answers to probes asked from `from` until `to`, or that were still awaited at `from`.
struct AnswerFigures {
    std::size_t count = 0, unanswered = 0;
    double p50 = 0, p99 = 0, max = 0;
};
AnswerFigures Within(const std::vector<Answer>& answers, double from, double to) {
    AnswerFigures f;
    std::vector<double> ms;
    for (const Answer& a : answers) {
        if (a.at > to || a.at + a.ms < from) continue;
        ms.push_back(a.ms);
        if (!a.answered) ++f.unanswered;
    }
    f.count = ms.size();
    f.p50 = Percentile(ms, 50);
    f.p99 = Percentile(ms, 99);
    f.max = Percentile(ms, 100);
    return f;
}

struct Typed {
    bool whole = false;  // the text arrived, exactly as meant
    std::size_t length = 0, firstLength = 0;
    double startAt = 0, firstAt = 0, lastAt = 0;  // startAt: the window shown, or the call
    double KeysPerSecond() const {
        return lastAt > firstAt
                   ? static_cast<double>(length - firstLength) / ((lastAt - firstAt) / 1000)
                   : 0;
    }
};

struct LongTextRow {
    std::string who;
    Typed typed;
    bool kvl = false;
    AnswerFigures nulls, posts, nullsAtRest, postsAtRest;
};

// Waits for the keys to arrive in `target` and sees whether they are the text meant.
Typed Follow(const EditTarget& target, TextWatch& watch, double startAt, int keys) {
    Typed t;
    watch.Wait();
    t.startAt = startAt;
    t.firstAt = watch.FirstAt();
    t.lastAt = watch.LastAt();
    t.firstLength = watch.FirstLength();
    t.length = watch.Length();
    t.whole = target.Text() == std::wstring(static_cast<std::size_t>(keys), L'x');
    Progress(Format("  %zu keys in %.0f ms after the first look saw %zu; %s", t.length,
                    t.lastAt - t.firstAt, t.firstLength, t.whole ? "whole" : "NOT as meant"));
    return t;
}

// The bench types the whole text with one SendInput call into a window it brought forward.
LongTextRow OneSendInput(int keys, int n) {
    LongTextRow row{Format("one SendInput call (%s)", n == 0 ? "1st" : "2nd")};
    Progress("longtext: " + row.who);
    EditTarget target(WFormat(L"[kvlbench one call %d] - editor", n));
    if (!target.Start() || !WaitFor(
                               [&] {
                                   if (GetForegroundWindow() != target.Window())
                                       SetForegroundWindow(target.Window());
                                   return GetForegroundWindow() == target.Window();
                               },
                               10000)) {
        Progress("the target did not open or come forward");
        return row;
    }
    PumpFor(300);  // its edit takes the focus
    // The same key events as KVL's for this character: its key on the layout, down and up.
    const SHORT vkScan = VkKeyScanW(L'x');
    const bool asKey = vkScan != -1 && HIBYTE(vkScan) == 0;
    const WORD vk = LOBYTE(vkScan);
    const WORD scan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    std::vector<INPUT> input;
    for (int k = 0; k < keys; ++k)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = asKey ? vk : 0;
            i.ki.wScan = asKey ? scan : L'x';
            i.ki.dwFlags = up | (asKey ? 0 : KEYEVENTF_UNICODE);
            input.push_back(i);
        }
    TextWatch watch(target.Edit(), static_cast<std::size_t>(keys));
    const double calledAt = NowMs();
    const UINT sent = SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    if (sent != input.size())
        Progress(Format("SendInput took %u of %zu events", sent, input.size()));
    row.typed = Follow(target, watch, calledAt, keys);
    return row;
}

// KVL types the text from a monitor into a window that opens; meanwhile a thread of the bench
// asks its main window WM_NULL, and another posts it the shell's message, each again and again.
std::optional<LongTextRow> KvlTypes(const Build& build, int keys, int n) {
    LongTextRow row{build.label};
    row.kvl = true;
    Progress("longtext: " + build.label);
    const std::string caption = Format("[kvlbench long %d]", n);
    Kvl kvl(build.exe, kDefaultStrengthIndex, {caption});
    kvl.TypeInto(0, Format("{x %d}", keys));
    if (!kvl.Start()) {
        Progress(build.label + " did not start");
        return std::nullopt;
    }
    PumpFor(3000);  // start-up is over
    Prober nulls(kvl.Main(), false), posts(kvl.Main(), true);
    const double restFrom = NowMs();
    PumpFor(3000);
    const double restTo = NowMs();
    EditTarget target(win32::Widen(caption) + L" - editor");
    if (!target.Start()) {
        Progress("the target did not open");
        return std::nullopt;
    }
    const double shownAt = NowMs();
    TextWatch watch(target.Edit(), static_cast<std::size_t>(keys));
    row.typed = Follow(target, watch, shownAt, keys);
    const std::vector<Answer>& nullAnswers = nulls.Stop();
    const std::vector<Answer>& postAnswers = posts.Stop();
    const double to = row.typed.lastAt > 0 ? row.typed.lastAt : NowMs();
    row.nulls = Within(nullAnswers, row.typed.firstAt, to);
    row.posts = Within(postAnswers, row.typed.firstAt, to);
    row.nullsAtRest = Within(nullAnswers, restFrom, restTo);
    row.postsAtRest = Within(postAnswers, restFrom, restTo);
    return row;
}

int LongText(int keys, const std::vector<Build>& builds) {
    std::vector<LongTextRow> rows;
    int status = 0;
    rows.push_back(OneSendInput(keys, 0));
    for (std::size_t n = 0; n < builds.size(); ++n) {
        std::optional<LongTextRow> row = KvlTypes(builds[n], keys, static_cast<int>(n));
        if (row)
            rows.push_back(*row);
        else
            status = 1;
    }
    rows.push_back(OneSendInput(keys, 1));

    std::printf(
        "### A long keystroke text\n\n"
        "A monitor's keystroke text `{x %d}` (%d keys) typed by KVL into the edit control of a "
        "window that opens (tests/e2e/target), beside the bench typing the same keys with one "
        "SendInput call (key down and up, as KVL sends this character) into such a window it "
        "brought forward, before and after the KVL runs. A thread of the bench reads the "
        "edit's length (WM_GETTEXTLENGTH by SendMessageTimeout) every millisecond or so: keys "
        "per second count from the look that first sees a key to the one that sees the text "
        "complete; \"To first key\" is from KVL's window found shown, or from the bench's "
        "SendInput call, to that first look. KVL's keys per second are also given as a ratio "
        "to the mean of the two SendInput runs. Meanwhile (from 3 s before the window opens, "
        "KVL's start-up over) one thread of the bench sends KVL's main window WM_NULL by "
        "SendMessageTimeout, again and again 1 ms apart, and another posts it the shell's "
        "\"TaskbarCreated\" message every 20 ms or so, having taken KVL's tray icon away, and "
        "times until the icon is back. WM_NULL flatters a loop busy typing: a thread that "
        "waits inside a SendMessageTimeout of its own (KVL does, for the target to take each "
        "batch) answers sent messages there, out of its loop. Only the loop takes a posted "
        "message, so the posted probe is the fair one; its time includes two calls to the "
        "shell, which the figures at rest (the 3 s before the window opens) show. Answers "
        "counted while typing are those awaited at any time between the first key and the "
        "last.\n\n",
        keys, keys);
    std::printf(
        "| Who types | Whole | To first key (ms) | First to last key (s) | Keys per second "
        "| ÷ one SendInput | WM_NULL answers | WM_NULL longest (ms) | WM_NULL p99 (ms) | "
        "WM_NULL longest at rest (ms) | Posted probes | Posted longest (ms) | Posted p99 "
        "(ms) | Posted p50 (ms) | Posted longest at rest (ms) | Posted p50 at rest (ms) "
        "|\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    double baseline = 0;
    int baselines = 0;
    for (const LongTextRow& r : rows)
        if (!r.kvl && r.typed.whole) {
            baseline += r.typed.KeysPerSecond();
            ++baselines;
        }
    if (baselines) baseline /= baselines;
    for (const LongTextRow& r : rows) {
        const Typed& t = r.typed;
        if (!t.whole) status = 1;
        std::string probes = "- | - | - | - | - | - | - | - | - | -";
        if (r.kvl) {
            auto count = [](const AnswerFigures& f) {
                return f.unanswered ? Format("%zu (%zu unanswered)", f.count, f.unanswered)
                                    : Format("%zu", f.count);
            };
            probes = Format("%s | %.1f | %.1f | %.1f | %s | %.1f | %.1f | %.1f | %.1f | %.1f",
                            count(r.nulls).c_str(), r.nulls.max, r.nulls.p99, r.nullsAtRest.max,
                            count(r.posts).c_str(), r.posts.max, r.posts.p99, r.posts.p50,
                            r.postsAtRest.max, r.postsAtRest.p50);
        }
        const bool timed = t.firstAt > 0 && t.lastAt > 0;
        std::printf("| %s | %s (%zu of %d) | %s | %s | %s | %s | %s |\n", r.who.c_str(),
                    t.whole ? "yes" : "no", t.length, keys,
                    t.firstAt > 0 ? Format("%.0f", t.firstAt - t.startAt).c_str() : "-",
                    timed ? Format("%.2f", (t.lastAt - t.firstAt) / 1000).c_str() : "-",
                    timed ? Format("%.0f", t.KeysPerSecond()).c_str() : "-",
                    r.kvl && timed ? Ratio(t.KeysPerSecond(), baseline).c_str() : "-",
                    probes.c_str());
    }
    std::printf("\n");
    for (const LongTextRow& r : rows) {
        if (!r.kvl) continue;
        std::printf(
            "%s: longest WM_NULL answer while typing %.1f ms (goal: under 100 ms): %s; "
            "longest posted probe %.1f ms (%.1f ms at rest). ",
            r.who.c_str(), r.nulls.max, r.nulls.max < 100 ? "met" : "not met", r.posts.max,
            r.postsAtRest.max);
    }
    std::printf("\n\n");
    std::fflush(stdout);
    return status;
}

std::vector<int> ParseList(const std::wstring& text) {
    std::vector<int> values;
    std::size_t at = 0;
    while (at < text.size()) {
        values.push_back(_wtoi(text.c_str() + at));
        const auto comma = text.find(L',', at);
        if (comma == std::wstring::npos) break;
        at = comma + 1;
    }
    return values;
}

}  // namespace
}  // namespace kvl::bench

int wmain(int argc, wchar_t** argv) {
    using namespace kvl::bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvl_bench latency|burst|idle|place|longtext [options]\n");
        return 2;
    }
    const std::wstring what = argv[1];
    auto option = [&](const wchar_t* name, const wchar_t* fallback) -> std::wstring {
        for (int i = 2; i + 1 < argc; ++i)
            if (std::wstring(argv[i]) == name) return argv[i + 1];
        return fallback;
    };
    const std::vector<Build> builds = Builds(option(L"--baseline", L""), option(L"--i686", L""));
    if (option(L"--show", L"activate") == L"noactivate") g_showCommand = SW_SHOWNOACTIVATE;
    if (what == L"latency") {
        std::vector<int> indexes = ParseList(option(L"--levels", L"0,1,2,3,4"));
        std::erase_if(indexes, [](int i) { return i < 0 || i > 4; });
        return Latency(_wtoi(option(L"--count", L"200").c_str()), indexes, builds);
    }
    if (what == L"burst")
        return Burst(_wtoi(option(L"--count", L"500").c_str()),
                     _wtof(option(L"--span", L"1000").c_str()), builds);
    if (what == L"place") return Place(_wtoi(option(L"--count", L"200").c_str()), builds);
    if (what == L"idle")
        return Idle(_wtof(option(L"--seconds", L"60").c_str()),
                    _wtof(option(L"--rate", L"5").c_str()), builds);
    if (what == L"longtext") return LongText(_wtoi(option(L"--keys", L"10000").c_str()), builds);
    std::fprintf(stderr, "kvl_bench: unknown scenario\n");
    return 2;
}
