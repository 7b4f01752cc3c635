#include "editor/win32/frm_action.h"

#include <commctrl.h>

#include "editor/win32/frm_action_layout.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/unicode.h"

namespace kvl {

using namespace action_form;

// clang-format off
void frmAction::CreateControls() {
    using win32::ResourceText;
    const HWND form = Handle();
    int id = 100;

    // The background: every control of the form lies over it.
    CandyScreen1.Create({.parent = form, .id = id++,
                         .at = {0, 0, kFirstClientWidthTwips, kFirstClientHeightTwips}});

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

    // The same gradient over the same height: the column carries the background on.
    CandyScreen2.Create({.parent = form, .id = id++,
                         .at = {kFirstClientWidthTwips, 0, kClientWidthTwips - kFirstClientWidthTwips,
                                kClientHeightTwips}});
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
    CreatePlaceGroup(id);

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
    SetWindowPos(FramePlace.Handle(), FramePress.Handle(), 0, 0, 0, 0,
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
        for (win32::TextBox* box : {&txtPositionX, &txtPositionY})
            box->SetToolTip(toolTips_, ResourceText(IDS_TIP_POSITION).c_str());
        for (win32::TextBox* box : {&txtSizeW, &txtSizeH})
            box->SetToolTip(toolTips_, ResourceText(IDS_TIP_SIZE).c_str());
        cboDisplay.SetToolTip(toolTips_, ResourceText(IDS_TIP_DISPLAY).c_str());
        txtOpacity.SetToolTip(toolTips_, ResourceText(IDS_TIP_OPACITY).c_str());
        cmdTakePlace.SetToolTip(toolTips_, ResourceText(IDS_TIP_TAKE_PLACE).c_str());
    }
}

// clang-format off
void frmAction::CreatePlaceGroup(int& id) {
    using win32::ResourceText;
    FramePlace.Create({.parent = Handle(), .id = id++, .text = ResourceText(IDS_PLACE_FRAME),
                       .at = kFramePlaceAt});
    const HWND place = FramePlace.Handle();
    lblPosition.Create({.parent = place, .id = id++, .text = ResourceText(IDS_POSITION),
                        .at = {120, 360, 1170, 195}});
    txtPositionX.Create({.parent = place, .id = id++, .at = {1320, 330, 855, 285}});
    txtPositionY.Create({.parent = place, .id = id++, .at = {2265, 330, 855, 285}});
    lblSize.Create({.parent = place, .id = id++, .text = ResourceText(IDS_SIZE),
                    .at = {120, 735, 1170, 195}});
    txtSizeW.Create({.parent = place, .id = id++, .at = {1320, 705, 855, 285}});
    txtSizeH.Create({.parent = place, .id = id++, .at = {2265, 705, 855, 285}});
    lblDisplay.Create({.parent = place, .id = id++, .text = ResourceText(IDS_DISPLAY),
                       .at = {120, 1110, 1170, 195}});
    cboDisplay.Create({.parent = place, .id = id++, .at = {1320, 1065, 1800, 315}, .dropHeight = 1800});
    chkOnTop.Create({.parent = place, .id = id++, .text = ResourceText(IDS_ON_TOP),
                     .at = {120, 1530, 1500, 225}, .threeState = true});
    lblOpacity.Create({.parent = place, .id = id++, .text = ResourceText(IDS_OPACITY),
                       .at = {1740, 1545, 900, 195}});
    txtOpacity.Create({.parent = place, .id = id++, .at = {2640, 1515, 480, 285}});
    chkRememberPlace.Create({.parent = place, .id = id++, .text = ResourceText(IDS_REMEMBER_PLACE),
                             .at = {120, 1950, 3000, 225}, .threeState = true});
    cmdTakePlace.Create({.parent = place, .id = id++, .text = ResourceText(IDS_TAKE_PLACE),
                         .at = {3300, 300, 1395, 405}});
}
// clang-format on

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

// The boxes in shades of yellow on teal; whatever else the form holds is drawn on teal too
// (see OnMessage). The buttons' rounded faces leave corners that show what lies behind them.
void frmAction::SetColours() {
    txtCaption.SetColours({.text = kYellow, .back = kTeal});
    cboWindowState.SetColours({.text = kYellow, .back = kTeal});
    txtName.SetColours({.text = kDarkYellow, .back = kTeal});
    txtProgram.SetColours({.text = kYellow, .back = kTeal});
    txtWindowClass.SetColours({.text = kYellow, .back = kTeal});
    txtPressButton.SetColours({.text = kYellow, .back = kTeal});
    for (win32::TextBox* box : {&txtPositionX, &txtPositionY, &txtSizeW, &txtSizeH, &txtOpacity})
        box->SetColours({.text = kYellow, .back = kTeal});
    cboDisplay.SetColours({.text = kYellow, .back = kTeal});
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

}  // namespace kvl
