#include "platform/win32/window_facts.h"

#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

const WindowFacts::Facts& WindowFacts::Of(HWND hwnd, bool wantClass, bool wantProgram) {
    Window& w = windows_[hwnd];
    if (wantClass && !w.classRead) {
        w.facts.windowClass = Narrow(ClassNameOf(hwnd));
        w.classRead = true;
    }
    if (wantProgram && !w.programRead) {
        GetWindowThreadProcessId(hwnd, &w.processId);
        bool known = false;
        w.facts.program = ProgramOf(w.processId, known);
        // A process we may not open stays unknown, and its next window tries again: with
        // nothing held open, its id could meanwhile belong to another.
        w.programRead = true;
        if (!known) w.processId = 0;
    }
    return w.facts;
}

const std::string& WindowFacts::ProgramOf(DWORD processId, bool& known) {
    static const std::string kUnreadable;
    known = false;
    if (processId == 0) return kUnreadable;
    if (auto it = processes_.find(processId); it != processes_.end()) {
        known = true;
        return it->second.program;
    }
    UniqueHandle process = OpenForQuery(processId);
    if (!process) return kUnreadable;
    std::string program = Narrow(ProgramPathOf(process.get()));
    known = true;
    auto [it, added] =
        processes_.emplace(processId, Process{std::move(process), std::move(program)});
    return it->second.program;
}

void WindowFacts::KeepOnly(const std::unordered_set<WindowHandle>& alive) {
    std::erase_if(windows_, [&](const auto& entry) {
        return !alive.contains(reinterpret_cast<WindowHandle>(entry.first));
    });
    if (processes_.empty()) return;
    std::unordered_set<DWORD> owners;
    for (const auto& [hwnd, w] : windows_)
        if (w.processId) owners.insert(w.processId);
    std::erase_if(processes_, [&](const auto& entry) { return !owners.contains(entry.first); });
}

void WindowFacts::ForgetPrograms() {
    processes_.clear();
    for (auto& [hwnd, w] : windows_) {
        w.programRead = false;
        w.processId = 0;
        w.facts.program.clear();
    }
}

void WindowFacts::Clear() {
    windows_.clear();
    processes_.clear();
}

}  // namespace kvl::win32
