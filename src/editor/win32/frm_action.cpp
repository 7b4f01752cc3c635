#include "editor/win32/frm_action.h"

#include <commctrl.h>

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

namespace {

constexpr wchar_t kClassName[] = L"KVL.frmAction";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
constexpr int kClientWidthTwips = 6450;
// The form as first laid out, and as grown to hold the frames of which windows and of the
// button to press below the rest.
constexpr int kFirstClientHeightTwips = 7395;
constexpr int kClientHeightTwips = 9450;
constexpr int kLowColourHeightCut = 300;

constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kPaleYellow = RGB(255, 255, 128);
constexpr COLORREF kDarkYellow = RGB(192, 192, 0);

// Where the keystroke rows sit inside Frame4: step 1 shows, steps 2 and 3 lie below the
// frame's visible height, hidden.
struct KeystrokeRow {
    TwipsRect keystrokeLabel;
    TwipsRect addIn;
    TwipsRect sendKeys;
    TwipsRect pauseLabel;
    TwipsRect pause;
};
constexpr std::array<KeystrokeRow, kKeystrokeSteps> kRows{{
    {{1260, 420, 915, 195},
     {120, 660, 465, 315},
     {660, 690, 3195, 285},
     {3930, 420, 615, 195},
     {3900, 690, 795, 315}},
    {{1260, 1080, 945, 195},
     {120, 1320, 465, 315},
     {660, 1350, 3195, 285},
     {3930, 1080, 585, 195},
     {3900, 1350, 795, 315}},
    {{1290, 1740, 945, 225},
     {120, 1950, 465, 315},
     {660, 1980, 3195, 285},
     {3960, 1740, 585, 195},
     {3900, 1980, 795, 315}},
}};

constexpr TwipsRect kFrame4At{1080, 4560, 4815, 1215};
constexpr TwipsRect kFrameWhichAt{1080, 6720, 4815, 1425};
constexpr TwipsRect kFramePressAt{1080, 8235, 4815, 750};

constexpr TwipsRect kOKAt{2190, 6120, 1185, 495};
constexpr TwipsRect kCancelAt{3420, 6120, 1185, 495};
constexpr TwipsRect kApplyAt{4650, 6120, 1185, 495};

// Shared by every editor window for the life of the program, as the class background.
HBRUSH TealBrush() {
    static const win32::UniqueBrush brush(CreateSolidBrush(kTeal));
    return brush.get();
}

}  // namespace

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
    txtName.SetText(win32::Widen(kNewMonitorName));
    recIndex_ = -1;

    // 8. Visible through this very call, above every other window, not yet active.
    win32::SetTopmost(Handle(), true);

    // 9.
    txtName.SetFocus();
}

// clang-format off
void frmAction::CreateControls() {
    using win32::ResourceText;
    const HWND form = Handle();
    int id = 100;

    // The background: every control of the form lies over it.
    CandyScreen1.Create({.parent = form, .id = id++,
                         .at = {0, 0, kClientWidthTwips, kFirstClientHeightTwips}});

    Frame1.Create({.parent = form, .id = id++, .text = ResourceText(IDS_CAPTION_FRAME),
                   .at = {1080, 1080, 4815, 1125}});
    txtCaption.Create({.parent = Frame1.Handle(), .id = id++, .at = {120, 300, 4545, 315}});
    chkExact.Create({.parent = Frame1.Handle(), .id = id++, .text = ResourceText(IDS_EXACT_MATCH),
                     .at = {120, 750, 1275, 225}, .threeState = true});

    Frame2.Create({.parent = form, .id = id++, .text = ResourceText(IDS_DESCRIPTION_FRAME),
                   .at = {1080, 2310, 4815, 915}});
    txtName.Create({.parent = Frame2.Handle(), .id = id++, .at = {120, 330, 4575, 285}});

    Frame3.Create({.parent = form, .id = id++, .text = ResourceText(IDS_PROCESS_FRAME),
                   .at = {1080, 3390, 4815, 1095}});
    cboWindowState.Create(
        {.parent = Frame3.Handle(), .id = id++, .at = {120, 390, 1605, 315}, .dropHeight = 1800});
    for (std::string_view choice : kWindowStateChoices)
        cboWindowState.AddItem(win32::Widen(choice));
    lblWindowState.Create({.parent = Frame3.Handle(), .id = id++,
                           .text = ResourceText(IDS_SET_WINDOW_STATE),
                           .at = {1800, 450, 1305, 195}});

    Frame4.Create({.parent = form, .id = id++, .text = ResourceText(IDS_KEYSTROKES_FRAME),
                   .at = kFrame4At});
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        const KeystrokeRow& row = kRows[k];
        const HWND frame = Frame4.Handle();
        const UINT step = static_cast<UINT>(k);
        lblKeystroke[k].Create({.parent = frame, .id = id++,
                                .text = ResourceText(IDS_KEYSTROKE_1 + step),
                                .at = row.keystrokeLabel});
        // On the form, over the frame: the dialog manager walks a container's controls
        // together, and these buttons come last in the keyboard order, after Apply.
        cmdAddIn[k].Create({.parent = form, .id = id++, .text = ResourceText(IDS_PICKER_BUTTON),
                            .at = {kFrame4At.left + row.addIn.left, kFrame4At.top + row.addIn.top,
                                   row.addIn.width, row.addIn.height}});
        txtSendKeys[k].Create({.parent = frame, .id = id++, .at = row.sendKeys});
        lblPause[k].Create({.parent = frame, .id = id++, .text = ResourceText(IDS_PAUSE_1 + step),
                            .at = row.pauseLabel});
        cboSendKeysPause[k].Create(
            {.parent = frame, .id = id++, .at = row.pause, .dropHeight = 2400});
        for (std::string_view choice : kPauseChoices)
            cboSendKeysPause[k].AddItem(win32::Widen(choice));
        if (k > 0) {
            for (win32::Control* c : std::initializer_list<win32::Control*>{
                     &lblKeystroke[k], &cmdAddIn[k], &txtSendKeys[k], &lblPause[k],
                     &cboSendKeysPause[k]})
                c->SetVisible(false);
        }
    }

    chkDisable.Create({.parent = form, .id = id++, .text = ResourceText(IDS_DISABLE),
                       .at = {1170, 6210, 885, 225}, .threeState = true});

    // The full-colour buttons lie on the background, the plain ones on the form.
    const HWND screen = CandyScreen1.Handle();
    cmdOK[0].Create({.parent = screen, .id = id++, .text = ResourceText(IDS_OK), .at = kOKAt});
    cmdCancel[0].Create(
        {.parent = screen, .id = id++, .text = ResourceText(IDS_CANCEL), .at = kCancelAt});
    cmdApply[0].Create(
        {.parent = screen, .id = id++, .text = ResourceText(IDS_APPLY), .at = kApplyAt});
    cmdOK[1].Create({.parent = form, .id = id++, .text = ResourceText(IDS_OK), .at = kOKAt});
    cmdApply[1].Create(
        {.parent = form, .id = id++, .text = ResourceText(IDS_APPLY), .at = kApplyAt});
    cmdCancel[1].Create(
        {.parent = form, .id = id++, .text = ResourceText(IDS_CANCEL), .at = kCancelAt});
    for (auto* b : {&cmdOK[1], &cmdApply[1], &cmdCancel[1]}) b->SetVisible(false);

    Label3.Create({.parent = form, .id = id++, .text = ResourceText(IDS_PRODUCT_LABEL),
                   .at = {210, 315, 2175, 465}});
    // clang-format on
    SetLabel3Font();
    Label3.SetVisible(false);

    CandyScreen2.Create({.parent = form, .id = id++,
                         .at = {0, kFirstClientHeightTwips, kClientWidthTwips,
                                kClientHeightTwips - kFirstClientHeightTwips},
                         .continuation = true});
    FrameWhich.Create({.parent = form, .id = id++, .text = ResourceText(IDS_WHICH_WINDOW_FRAME),
                       .at = kFrameWhichAt});
    const HWND which = FrameWhich.Handle();
    lblProgram.Create({.parent = which, .id = id++, .text = ResourceText(IDS_PROGRAM),
                       .at = {120, 360, 1170, 195}});
    txtProgram.Create({.parent = which, .id = id++, .at = {1320, 330, 2475, 285}});
    lblWindowClass.Create({.parent = which, .id = id++, .text = ResourceText(IDS_WINDOW_CLASS),
                           .at = {120, 735, 1170, 195}});
    txtWindowClass.Create({.parent = which, .id = id++, .at = {1320, 705, 2475, 285}});
    chkPattern.Create({.parent = which, .id = id++,
                       .text = ResourceText(IDS_CAPTION_IS_PATTERN),
                       .at = {120, 1095, 2295, 225}, .threeState = true});
    picFinder.Create({.parent = which, .id = id++, .at = {4080, 300, 555, 555}});
    lblFinder.Create({.parent = which, .id = id++, .text = ResourceText(IDS_FINDER),
                      .at = {4125, 915, 570, 195}});
    FramePress.Create({.parent = form, .id = id++, .text = ResourceText(IDS_PRESS_FRAME),
                       .at = kFramePressAt});
    lblPressButton.Create({.parent = FramePress.Handle(), .id = id++,
                           .text = ResourceText(IDS_PRESS_BUTTON), .at = {120, 345, 1170, 195}});
    txtPressButton.Create({.parent = FramePress.Handle(), .id = id++, .at = {1320, 315, 2475, 285}});

    // Children stack in the order they are made, the first on top: the background goes
    // beneath everything made after it.
    for (HWND background : {CandyScreen1.Handle(), CandyScreen2.Handle()})
        SetWindowPos(background, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Keyboard order is stacking order, the top first, and goes round: the picker buttons on
    // top come right after Apply, and the caption right after them.
    for (auto& button : cmdAddIn)
        SetWindowPos(button.Handle(), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The frame of which windows comes after all the rest: right after the first of them.
    SetWindowPos(FrameWhich.Handle(), cmdAddIn[0].Handle(), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(FramePress.Handle(), FrameWhich.Handle(), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    BindEvents();
    SetColours();
    SetDefaultButton(cmdOK[0].Id());

    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (toolTips_) {
        SetTipWidth();
        txtCaption.SetToolTip(toolTips_, ResourceText(IDS_TIP_CAPTION).c_str());
        txtName.SetToolTip(toolTips_, ResourceText(IDS_TIP_NAME).c_str());
        cboWindowState.SetToolTip(toolTips_, ResourceText(IDS_TIP_WINDOW_STATE).c_str());
        for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
            cboSendKeysPause[k].SetToolTip(toolTips_, ResourceText(IDS_TIP_PAUSE).c_str());
            txtSendKeys[k].SetToolTip(toolTips_, ResourceText(IDS_TIP_SEND_KEYS).c_str());
        }
        txtProgram.SetToolTip(toolTips_, ResourceText(IDS_TIP_PROGRAM).c_str());
        txtWindowClass.SetToolTip(toolTips_, ResourceText(IDS_TIP_WINDOW_CLASS).c_str());
        picFinder.SetToolTip(toolTips_, ResourceText(IDS_TIP_FINDER).c_str());
        txtPressButton.SetToolTip(toolTips_, ResourceText(IDS_TIP_PRESS_BUTTON).c_str());
    }
}

void frmAction::FillCaptionList() {
    // The engine's own caption read: empty for hidden and disabled windows, cut at 256 units.
    for (WindowHandle window : desktop_.TopLevelWindows()) {
        const std::string caption = WindowCaption(desktop_, window);
        if (CaptionListKeeps(caption)) txtCaption.AddItem(win32::Widen(caption));
    }
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

void frmAction::ShowFields(const EditorFields& f) {
    txtName.SetText(win32::Widen(f.Name));
    cboWindowState.SetText(win32::Widen(f.WindowState));
    txtCaption.SetText(win32::Widen(f.Caption));
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        txtSendKeys[k].SetText(win32::Widen(f.SendKeys[k]));
        cboSendKeysPause[k].SetText(win32::Widen(f.SendKeysPause[k]));
    }
    if (CheckBoxAccepts(f.Disable)) chkDisable.SetState(f.Disable);
    if (CheckBoxAccepts(f.ExactMatch)) chkExact.SetState(f.ExactMatch);
    txtProgram.SetText(win32::Widen(f.Program));
    txtWindowClass.SetText(win32::Widen(f.WindowClass));
    chkPattern.SetState(f.CaptionPattern);
    txtPressButton.SetText(win32::Widen(f.PressButton));
}

EditorFields frmAction::ReadFields() const {
    EditorFields f;
    f.Caption = win32::Narrow(txtCaption.Text());
    f.ExactMatch = static_cast<std::int16_t>(chkExact.State());
    f.Name = win32::Narrow(txtName.Text());
    f.WindowState = win32::Narrow(cboWindowState.Text());
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        f.SendKeys[k] = win32::Narrow(txtSendKeys[k].Text());
        f.SendKeysPause[k] = win32::Narrow(cboSendKeysPause[k].Text());
    }
    f.Disable = static_cast<std::int16_t>(chkDisable.State());
    f.Program = win32::Narrow(txtProgram.Text());
    f.WindowClass = win32::Narrow(txtWindowClass.Text());
    f.CaptionPattern = static_cast<std::int16_t>(chkPattern.State() == 1 ? 1 : 0);
    f.PressButton = win32::Narrow(txtPressButton.Text());
    return f;
}

bool frmAction::ApplyProc() {
    if (!Loaded()) return false;
    EditorFields fields = ReadFields();
    // Only step 1 can be typed into; steps 2 and 3 go back as they came.
    const StoreResult result = StoreFields(fields, recIndex_, host_.CurrentSettings().Monitors, 1);
    switch (result.outcome) {
        case StoreResult::Outcome::BadPause:
            ShowMessage(kBadPauseMessage);
            if (Loaded()) cboSendKeysPause[static_cast<std::size_t>(result.badPause)].SetFocus();
            return false;
        case StoreResult::Outcome::BadPattern:
            ShowMessage(BadPatternMessage(result.patternProblem));
            if (Loaded()) txtCaption.SetFocus();
            return false;
        case StoreResult::Outcome::TableFull:
            ShowMessage(kTableFullMessage);
            return false;
        case StoreResult::Outcome::Stored:
            break;
    }
    txtName.SetText(win32::Widen(fields.Name));
    host_.RefreshMe();
    return true;
}

void frmAction::SetLabel3Font() {
    // 12 points: 16 pixels at 96 dots per inch. The label lets go of the old font first.
    win32::UniqueFont font(CreateFontW(-(16 * Dpi() / kStandardDpi), 0, 0, 0, FW_BOLD, TRUE,
                                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_ROMAN, L"Times New Roman"));
    Label3.SetFont(font.get());
    label3Font_ = std::move(font);
}

// The tips wrap at a width the text grows with.
void frmAction::SetTipWidth() {
    if (toolTips_) SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, MulDiv(320, Dpi(), kStandardDpi));
}

void frmAction::OnDpiChanged(int) {
    SetLabel3Font();
    SetTipWidth();
}

void frmAction::ShowMessage(std::string_view text) {
    const std::wstring wide = win32::Widen(text);
    const win32::OwnModalLoop modal;
    MessageBoxW(Handle(), wide.c_str(), win32::Widen(kMessageTitle).c_str(), MB_OK);
}

void frmAction::LowColorMode() {
    if (!Loaded() || lowColour_) return;
    lowColour_ = true;
    CandyScreen1.SetVisible(false);
    CandyScreen2.SetVisible(false);
    cmdOK[0].SetVisible(false);
    cmdCancel[0].SetVisible(false);
    cmdApply[0].SetVisible(false);
    Label3.SetVisible(true);
    cmdOK[1].SetVisible(true);
    cmdCancel[1].SetVisible(true);
    cmdApply[1].SetVisible(true);
    SetDefaultButton(cmdOK[1].Id());
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int height =
        TwipsToPixels(PixelsToTwips(r.bottom - r.top, Dpi()) - kLowColourHeightCut, Dpi());
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

void frmAction::txtCaption_LostFocus() {
    txtName.SetText(txtCaption.Text());
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

void frmAction::TakeFoundWindow(HWND window) {
    // The caption as the caption list reads it: cut at 256 units.
    const auto handle = reinterpret_cast<WindowHandle>(window);
    txtCaption.SetText(win32::Widen(WindowCaption(desktop_, handle)));
    txtProgram.SetText(win32::Widen(ProgramFileName(desktop_.ProgramPath(handle))));
    txtWindowClass.SetText(win32::ClassNameOf(window));
    // What was found is the caption itself, not a pattern for it.
    chkPattern.SetState(0);
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
    finder_.onFound = [this](HWND window) { TakeFoundWindow(window); };
    txtName.onGotFocus = [this] { txtName_GotFocus(); };
    txtCaption.onLostFocus = [this] {
        if (!quiet_) txtCaption_LostFocus();
    };
}

// The boxes in shades of yellow on teal; whatever else the form holds is drawn on teal too
// (see OnMessage). The buttons' rounded faces leave corners that show what lies behind them.
void frmAction::SetColours() {
    txtCaption.SetColours({.text = kYellow, .back = kTeal});
    cboWindowState.SetColours({.text = kYellow, .back = kTeal});
    txtName.SetColours({.text = kDarkYellow, .back = kTeal});
    txtProgram.SetColours({.text = kYellow, .back = kTeal});
    txtWindowClass.SetColours({.text = kYellow, .back = kTeal});
    txtPressButton.SetColours({.text = kYellow, .back = kTeal});
    for (std::size_t k = 0; k < kKeystrokeSteps; ++k) {
        txtSendKeys[k].SetColours({.text = kPaleYellow, .back = kTeal});
        cboSendKeysPause[k].SetColours({.text = kPaleYellow, .back = kTeal});
    }
    for (auto* set : {&cmdOK, &cmdCancel, &cmdApply}) {
        (*set)[0].SetColours({.backdrop = &CandyScreen1});
        (*set)[1].SetColours({.back = kTeal});
    }
    for (win32::StyledButton& button : cmdAddIn) button.SetColours({.back = kTeal});
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
