#include "editor/win32/frm_action.h"

#include <commctrl.h>

#include "editor/win32/frm_action_layout.h"
#include "engine/caption_regex.h"
#include "engine/window_actions.h"
#include "platform/shell.h"
#include "platform/twips.h"
#include "platform/win32/display.h"
#include "platform/win32/dpi.h"
#include "platform/win32/own_modal.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl {

using namespace action_form;

frmAction::frmAction(EditorHost& host, Desktop& desktop) : host_(host), desktop_(desktop) {}

frmAction::~frmAction() {
    // Deleted while open, as the program ends: the window goes without a word to the host,
    // which is going itself, and before the controls it routes messages to.
    if (Handle()) {
        quiet_ = true;
        DestroyWindow(Handle());
    }
}

void frmAction::Load() {
    if (Loaded()) {
        // A second "New Monitor" keeps the user's unsaved work: it only shows where it is.
        SetForegroundWindow(Handle());
        return;
    }
    Form_Load();
}

void frmAction::Form_Load() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    // 1. Nothing fires while the user edits.
    host_.PauseWatching();

    // 2. Centred on the screen, from the full-colour size.
    const int dpi = win32::SystemDpi();
    const SIZE outer = win32::OuterSizeForClient(TwipsToPixels(kClientWidthTwips, dpi),
                                                 TwipsToPixels(kClientHeightTwips, dpi), kStyle,
                                                 kExStyle, false, dpi);
    const double screenW = PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi);
    const double screenH = PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi);
    const double left = screenW / 2 - PixelsToTwips(outer.cx, dpi) / 2.0;
    const double top = screenH / 2 - PixelsToTwips(outer.cy, dpi) / 2.0;
    if (!Create({kClassName, nullptr, TealBrush(), 0, true},
                {win32::Widen(kEditorCaption).c_str(),
                 kStyle,
                 kExStyle,
                 {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), outer.cx, outer.cy},
                 nullptr,
                 nullptr,
                 dpi})) {
        host_.ResumeWatching();
        return;
    }
    lowColour_ = false;
    recIndex_ = -1;
    finder_.Attach(Handle());
    CreateControls();
    FitMonitorScale();

    // 3. The plain layout is decided afresh each time the editor opens.
    if (!win32::IsRichColourDisplay()) LowColorMode();

    // 4. to 7.
    for (auto& pause : cboSendKeysPause) pause.SetListIndex(0);
    cboWindowState.SetListIndex(0);
    FillCaptionList();
    for (const std::string& choice : DisplayChoices(desktop_.Displays()))
        cboDisplay.AddItem(win32::Widen(choice));
    cboDisplay.SetListIndex(0);
    txtName.SetText(win32::Widen(kNewMonitorName));
    recIndex_ = -1;

    // 8. Visible through this very call, above every other window, not yet active.
    win32::SetTopmost(Handle(), true);

    // 9.
    txtName.SetFocus();
}

void frmAction::EditRec(int index) {
    if (!Loaded()) Load();
    if (!Loaded() || index < 0 || index >= kTableSlots) return;
    recIndex_ = index;
    const Monitor& monitor = host_.CurrentSettings().Monitors[static_cast<std::size_t>(index)];
    ShowFields(FieldsOfMonitor(monitor, index));
    // A stored pattern this release cannot use does nothing: the user learns why at once.
    if (monitor.CaptionPattern == 1) {
        if (auto problem = CaptionPatternProblem(monitor.Caption))
            ShowMessage(BadPatternMessage(*problem));
    }
}

void frmAction::MonitorDeleted(int slot) {
    recIndex_ = SlotAfterDeletion(recIndex_, slot);
}

void frmAction::ShowMessage(std::string_view text) {
    const std::wstring wide = win32::Widen(text);
    const win32::OwnModalLoop modal;
    MessageBoxW(Handle(), wide.c_str(), win32::Widen(kMessageTitle).c_str(), MB_OK);
}

void frmAction::cmdOK_Click() {
    if (!ApplyProc()) return;
    // The watches follow at once: left to the next registration, the watcher would go on
    // firing this monitor's new actions on windows with its old caption.
    host_.RegisterWatches();
    DestroyWindow(Handle());  // may delete this object: nothing may follow
}

void frmAction::cmdApply_Click() {
    if (ApplyProc()) host_.RegisterWatches();
}

void frmAction::cmdCancel_Click() {
    DestroyWindow(Handle());  // may delete this object: nothing may follow
}

void frmAction::cmdAddIn_Click(int index) {
    RECT editor{};
    GetWindowRect(Handle(), &editor);
    // The button's place in its keystroke frame, as the picker has always been placed.
    const TwipsRect button = cmdAddIn[static_cast<std::size_t>(index)].Position();
    ShowPicker(index, {button.left - kFrame4At.left + PixelsToTwips(editor.left, Dpi()) + 600,
                       button.top - kFrame4At.top + PixelsToTwips(editor.top, Dpi()) + 4000});
}

// The pointer's place inside the field serves as the picker's place on the screen.
void frmAction::txtSendKeys_MouseDown(int index, win32::MouseButton button, POINT inField) {
    if (button == win32::MouseButton::Right) ShowPicker(index, inField);
}

void frmAction::ShowPicker(int field, POINT at) {
    if (!picker_)
        picker_ = std::make_unique<frmAddIn>(
            [this](int target, const std::wstring& entry) { AppendToSendKeys(target, entry); });
    picker_->ShowFor(field, Handle(), at);
}

void frmAction::AppendToSendKeys(int index, const std::wstring& entry) {
    if (!Loaded() || index < 0 || index >= kKeystrokeSteps) return;
    win32::TextBox& field = txtSendKeys[static_cast<std::size_t>(index)];
    field.SetText(field.Text() + entry);
}

void frmAction::txtName_GotFocus() {
    txtName.SelectAll();
}

void frmAction::txtSendKeys_GotFocus(int index) {
    txtSendKeys[static_cast<std::size_t>(index)].SelectAll();
}

void frmAction::chk_Click(win32::CheckBox& box) {
    box.SetState(box.State() == 1 ? 0 : 1);
}

void frmAction::Form_Unload() {
    finder_.End();
    if (picker_) picker_->Unload();
    if (!quiet_) host_.ResumeWatching();
}

void frmAction::OnDestroyed() {
    toolTips_ = nullptr;
    if (!quiet_) host_.EditorClosed();  // may delete this object: nothing may follow
}

void frmAction::BindEvents() {
    for (std::size_t i = 0; i < 2; ++i) {
        cmdOK[i].onClick = [this] { cmdOK_Click(); };
        cmdCancel[i].onClick = [this] { cmdCancel_Click(); };
        cmdApply[i].onClick = [this] { cmdApply_Click(); };
    }
    for (int k = 0; k < kKeystrokeSteps; ++k) {
        const auto n = static_cast<std::size_t>(k);
        cmdAddIn[n].onClick = [this, k] { cmdAddIn_Click(k); };
        txtSendKeys[n].onGotFocus = [this, k] { txtSendKeys_GotFocus(k); };
        txtSendKeys[n].onMouseDown = [this, k](win32::MouseButton button, POINT at) {
            txtSendKeys_MouseDown(k, button, at);
        };
    }
    chkExact.onClick = [this] { chk_Click(chkExact); };
    chkDisable.onClick = [this] { chk_Click(chkDisable); };
    chkPattern.onClick = [this] { chk_Click(chkPattern); };
    chkOnTop.onClick = [this] { chk_Click(chkOnTop); };
    chkRememberPlace.onClick = [this] { chk_Click(chkRememberPlace); };
    cmdTakePlace.onClick = [this] { cmdTakePlace_Click(); };
    finder_.onFound = [this](HWND window) { TakeFoundWindow(window); };
    txtName.onGotFocus = [this] { txtName_GotFocus(); };
    txtCaption.onLostFocus = [this] {
        if (!quiet_) txtCaption_LostFocus();
    };
}

LRESULT frmAction::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL && lp == 0) {  // Escape
                // While the finder is out, Escape only puts it back.
                if (finder_.Finding())
                    finder_.End();
                else
                    cmdCancel_Click();
            }
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // The controls that keep no colours of their own: labels, frames, check boxes.
            SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(reinterpret_cast<HDC>(wp), kTeal);
            [[fallthrough]];
        case WM_CTLCOLORDLG:
            return reinterpret_cast<LRESULT>(TealBrush());
        case WM_CLOSE:
            DestroyWindow(Handle());  // may delete this object: nothing may follow
            return 0;
        case WM_DESTROY:
            Form_Unload();
            return 0;
        default:
            return Default(msg, wp, lp);
    }
}

}  // namespace kvl
