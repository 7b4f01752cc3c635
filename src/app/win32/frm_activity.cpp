#include "app/win32/frm_activity.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/clock_win32.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/unicode.h"

namespace kvl {

namespace {

constexpr wchar_t kClassName[] = L"KVL.frmActivity";
// Columns: time, monitor, window, program, result, in twips.
constexpr int kColumnWidths[] = {1800, 1800, 1800, 2700, 4500};
constexpr int kWidthTwips = 13050;
constexpr int kHeightTwips = 5400;
// Smaller than this, not one row and its headings would show.
constexpr int kSmallestWidthTwips = 4800;
constexpr int kSmallestHeightTwips = 2400;

// The clipboard owns what it is given only once SetClipboardData succeeds.
void PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* at = GlobalLock(memory)) {
            std::memcpy(at, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

}  // namespace

bool frmActivity::Show() {
    if (!Loaded() && !Form_Load()) return false;
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
    FocusControl(lvwEvents.Handle());
    return true;
}

bool frmActivity::Form_Load() {
    const std::wstring caption = win32::ResourceText(IDS_ACTIVITY_CAPTION);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const int dpi = win32::SystemDpi();
    if (!Create({kClassName, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), 0, true},
                {caption.c_str(), style, WS_EX_CONTROLPARENT,
                 {CW_USEDEFAULT, CW_USEDEFAULT, TwipsToPixels(kWidthTwips, dpi),
                  TwipsToPixels(kHeightTwips, dpi)},
                 nullptr, nullptr, dpi}))
        return false;
    RECT client{};
    GetClientRect(Handle(), &client);
    if (!lvwEvents.Create({.parent = Handle(), .id = idLvwEvents, .at = ClientTwips(client)}))
        return false;
    int heading = IDS_ACTIVITY_TIME;
    for (int width : kColumnWidths) lvwEvents.AddColumn(win32::ResourceText(heading++), width);
    lvwEvents.onKeyDown = [this](WORD key) { lvwEvents_KeyDown(key); };
    FitMonitorScale();
    Refresh();
    return true;
}

void frmActivity::Refresh() {
    if (!Loaded()) return;
    SendMessageW(lvwEvents.Handle(), WM_SETREDRAW, FALSE, 0);
    lvwEvents.Clear();
    for (std::size_t k = 0; k < log_.Size(); ++k) {
        std::vector<std::wstring> cells;
        for (const std::string& cell : ActivityCells(log_[k], win32::Narrow(win32::FormatLocalTime(log_[k].at))))
            cells.push_back(win32::Widen(cell));
        lvwEvents.AddRow(cells);
    }
    SendMessageW(lvwEvents.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(lvwEvents.Handle(), nullptr, TRUE);
}

void frmActivity::Unload() {
    if (Loaded()) DestroyWindow(Handle());
}

void frmActivity::lvwEvents_KeyDown(WORD key) {
    if ((GetKeyState(VK_CONTROL) & 0x8000) == 0) return;
    if (key == 'C') CopySelection();
    if (key == 'A') lvwEvents.SelectAll();
}

void frmActivity::CopySelection() {
    std::vector<std::vector<std::string>> rows;
    const int columns = lvwEvents.ColumnCount();
    for (int row : lvwEvents.SelectedRows()) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column)
            cells.push_back(win32::Narrow(lvwEvents.Cell(row, column)));
        rows.push_back(std::move(cells));
    }
    if (!rows.empty()) PutOnClipboard(Handle(), win32::Widen(TabSeparated(rows)));
}

TwipsRect frmActivity::ClientTwips(const RECT& client) const {
    return {0, 0, PixelsToTwips(client.right, Dpi()), PixelsToTwips(client.bottom, Dpi())};
}

void frmActivity::Form_Resize(int width, int height) {
    lvwEvents.Move(ClientTwips({0, 0, width, height}));
}

LRESULT frmActivity::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            Form_Resize(LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {
                TwipsToPixels(kSmallestWidthTwips, Dpi()),
                TwipsToPixels(kSmallestHeightTwips, Dpi())};
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL) {  // Escape, as the dialog manager hands it on
                DestroyWindow(Handle());
                return 0;
            }
            return Default(msg, wp, lp);
        case WM_CLOSE:
            DestroyWindow(Handle());
            return 0;
        default:
            return Default(msg, wp, lp);
    }
}

}  // namespace kvl
