#include "editor/win32/frm_action.h"

#include "editor/win32/frm_action_layout.h"
#include "engine/placement.h"
#include "platform/win32/unicode.h"

namespace kvl {

using namespace action_form;

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
    txtPositionX.SetText(win32::Widen(f.PositionX));
    txtPositionY.SetText(win32::Widen(f.PositionY));
    txtSizeW.SetText(win32::Widen(f.SizeW));
    txtSizeH.SetText(win32::Widen(f.SizeH));
    cboDisplay.SetText(win32::Widen(ShownDisplay(f.Display, desktop_.Displays())));
    chkOnTop.SetState(f.OnTop);
    txtOpacity.SetText(win32::Widen(f.Opacity));
    chkRememberPlace.SetState(f.RememberPlace);
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
    f.PositionX = win32::Narrow(txtPositionX.Text());
    f.PositionY = win32::Narrow(txtPositionY.Text());
    f.SizeW = win32::Narrow(txtSizeW.Text());
    f.SizeH = win32::Narrow(txtSizeH.Text());
    f.Display = win32::Narrow(cboDisplay.Text());
    f.OnTop = static_cast<std::int16_t>(chkOnTop.State() == 1 ? 1 : 0);
    f.Opacity = win32::Narrow(txtOpacity.Text());
    f.RememberPlace = static_cast<std::int16_t>(chkRememberPlace.State() == 1 ? 1 : 0);
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
        case StoreResult::Outcome::BadPlace: {
            ShowMessage(result.placeProblem);
            using Box = StoreResult::PlaceBox;
            win32::Control* const boxes[] = {&txtPositionX, &txtSizeW, &cboDisplay, &txtOpacity};
            if (Loaded()) boxes[static_cast<int>(result.badPlace)]->SetFocus();
            static_assert(static_cast<int>(Box::Opacity) == 3);
            return false;
        }
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

}  // namespace kvl
