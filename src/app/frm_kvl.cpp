#include "app/frm_kvl.h"

#include <cmath>

#include "app/startup.h"
#include "engine/dispatch.h"
#include "engine/window_watcher.h"
#include "platform/win32/resources/resource.h"

namespace kvl {

namespace {

constexpr wchar_t kClassName[] = L"KVL.frmKVL";
constexpr wchar_t kCaption[] = L"Korvel 3.0";
constexpr wchar_t kTrayTip[] = L"Korvel! By Brannick";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidthTwips = 5310;
constexpr int kClientHeightTwips = 3885;

int Pixels(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

frmKVL::frmKVL(Services services) : services_(std::move(services)) {}

frmKVL::~frmKVL() { tray1_.reset(); }

void frmKVL::BuildMenus() {
    menuBar_ = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, mnuExit, L"E&xit Application");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    HMENU monitors = CreatePopupMenu();
    AppendMenuW(monitors, MF_STRING, mnuNew, L"&New Monitor");
    AppendMenuW(monitors, MF_STRING, mnuEdit, L"&Edit Monitor");
    AppendMenuW(monitors, MF_STRING, mnuDelete, L"&Delete Monitor");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(monitors), L"&Monitors");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, mnuHelp, L"&KVL Help");
    AppendMenuW(help, MF_STRING, mnuCommnadHelp, L"&Command Line Reference");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");

    // "Stats" and "PopUp" are never in the menu bar: they are the tray icon's menus.
    hiddenMenus_.reset(CreateMenu());
    mnuStats_ = CreatePopupMenu();
    AppendMenuW(mnuStats_, MF_STRING, mnuLast, L"Last");
    AppendMenuW(hiddenMenus_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mnuStats_), L"Stats");
    mnuPopUp_ = CreatePopupMenu();
    AppendMenuW(mnuPopUp_, MF_STRING, mnuEditMon, L"&Edit Monitors");
    AppendMenuW(mnuPopUp_, MF_STRING, mnuDisable, L"&Disable Monitoring");
    AppendMenuW(mnuPopUp_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(mnuPopUp_, MF_STRING, mnuClose, L"E&xit");
    AppendMenuW(hiddenMenus_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mnuPopUp_), L"PopUp");
}

void frmKVL::Form_Load() {
    image1_.reset(LoadIconSized(IDI_KVL_ALT, 32));
    image2_.reset(LoadIconSized(IDI_KVL, 32));
    smallImage1_.reset(LoadIconSized(IDI_KVL_ALT, GetSystemMetrics(SM_CXSMICON)));
    smallImage2_.reset(LoadIconSized(IDI_KVL, GetSystemMetrics(SM_CXSMICON)));
    BuildMenus();

    const SIZE outer = win32::OuterSizeForClient(Pixels(kClientWidthTwips),
                                                 Pixels(kClientHeightTwips), kStyle, kExStyle, true);
    const int screenW = GetSystemMetrics(SM_CXSCREEN) * kTwipsPerPixel;
    const int screenH = GetSystemMetrics(SM_CYSCREEN) * kTwipsPerPixel;
    const TwipsPoint at = MainWindowPosition(screenW, screenH, outer.cx * kTwipsPerPixel,
                                             outer.cy * kTwipsPerPixel);
    Create({kClassName, image2_.get()},
           {kCaption, kStyle, kExStyle, {Pixels(at.left), Pixels(at.top), outer.cx, outer.cy},
            nullptr, menuBar_});
    timer1_.Attach(Handle());

    InitApp();
    helpCommand_ = L"write.exe kvlhelp.doc";

    if (services_.commandLine.empty()) {
        ShowWindow(Handle(), SW_SHOW);
        UpdateWindow(Handle());
    }
}

void frmKVL::InitApp() {
    tray1_ = std::make_unique<win32::TrayIcon>(Handle(), kTrayMessage);
    tray1_->SetIcon(smallImage2_.get());
    tray1_->SetTip(kTrayTip);
    LoadSettings(services_.store, settings_, services_.watcher);
    if (!services_.commandLine.empty()) {
        // The one-shot mode is not here yet: leave without touching the store.
        EndProgram();
        return;
    }
    RegisterWatches();
}

void frmKVL::RegisterWatches() {
    kvl::RegisterWatches(services_.store, settings_, services_.watcher, monitoringDisabled_);
}

void frmKVL::EndProgram() {
    if (tray1_) tray1_->Remove();
    services_.endProgram();
}

bool frmKVL::Form_QueryUnload() {
    if (IsVisible()) {
        RegisterWatches();
        SetVisible(false);
        return false;
    }
    return true;
}

void frmKVL::mnuExit_Click() {
    SaveSettings(services_.store, settings_);
    EndProgram();
}

void frmKVL::mnuClose_Click() { timer1_.Enable(true); }

void frmKVL::Timer1_Timer() {
    timer1_.Enable(false);
    SaveSettings(services_.store, settings_);
    EndProgram();
}

void frmKVL::ShowPopupAtPointer(HMENU menu) {
    POINT p{};
    GetCursorPos(&p);
    // The menu must belong to the foreground window, or it will not close when clicked away.
    SetForegroundWindow(Handle());
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, p.x, p.y, 0, Handle(),
                   nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void frmKVL::Tray1_MouseDown(int button) {
    if (button == 1) {
        ShowPopupAtPointer(mnuStats_);
    } else if (button == 2) {
        ShowPopupAtPointer(mnuPopUp_);
    }
}

LRESULT frmKVL::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (tray1_ && tray1_->HandleShellRestart(msg)) return 0;
    switch (msg) {
        case WM_CLOSE:
            if (Form_QueryUnload()) DestroyWindow(Handle());
            return 0;
        case WM_QUERYENDSESSION:
            // Save as a close would, but never stand in the way of the session's end.
            Form_QueryUnload();
            return TRUE;
        case WM_DESTROY:
            if (tray1_) tray1_->Remove();
            PostQuitMessage(0);
            return 0;
        case WM_TIMER:
            if (wp == timer1_.Id()) Timer1_Timer();
            return 0;
        case kTrayMessage:
            switch (LOWORD(lp)) {
                case WM_LBUTTONDOWN: Tray1_MouseDown(1); break;
                case WM_RBUTTONDOWN: Tray1_MouseDown(2); break;
                default: break;
            }
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case mnuExit: mnuExit_Click(); break;
                case mnuClose: mnuClose_Click(); break;
                default: break;
            }
            return 0;
        default:
            return Default(msg, wp, lp);
    }
}

}  // namespace kvl
