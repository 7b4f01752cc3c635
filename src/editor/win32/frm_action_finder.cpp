#include "editor/win32/frm_action.h"

#include "editor/win32/frm_action_layout.h"
#include "engine/dispatch.h"
#include "engine/window_actions.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl {

using namespace action_form;

void frmAction::FillCaptionList() {
    // The engine's own caption read: empty for hidden and disabled windows, cut at 256 units.
    for (WindowHandle window : desktop_.TopLevelWindows()) {
        const std::string caption = WindowCaption(desktop_, window);
        if (CaptionListKeeps(caption)) txtCaption.AddItem(win32::Widen(caption));
    }
}

void frmAction::TakeFoundWindow(HWND window) {
    // The caption as the caption list reads it: cut at 256 units.
    const auto handle = reinterpret_cast<WindowHandle>(window);
    txtCaption.SetText(win32::Widen(WindowCaption(desktop_, handle)));
    txtProgram.SetText(win32::Widen(ProgramFileName(desktop_.ProgramPath(handle))));
    txtWindowClass.SetText(win32::ClassNameOf(window));
    // What was found is the caption itself, not a pattern for it.
    chkPattern.SetState(0);
    lastFound_ = window;
}

// From the window last found, while it is there; else from the first open window that the
// monitor, as the boxes now say, would be meant for.
void frmAction::cmdTakePlace_Click() {
    WindowHandle window = IsWindow(lastFound_) ? reinterpret_cast<WindowHandle>(lastFound_) : 0;
    if (!window) {
        const EditorFields f = ReadFields();
        Monitor m;
        m.Caption = f.Caption;
        m.ExactMatch = f.ExactMatch == 1 ? 1 : 0;
        m.CaptionPattern = f.CaptionPattern;
        m.Program = f.Program;
        m.WindowClass = f.WindowClass;
        for (WindowHandle w : desktop_.TopLevelWindows()) {
            if (w == reinterpret_cast<WindowHandle>(Handle())) continue;
            if (StillMeant(desktop_, {w, WatchOf(m)}) == ActionResult::Done) {
                window = w;
                break;
            }
        }
    }
    const std::optional<WindowPlaceFacts> facts = window ? desktop_.PlaceOf(window) : std::nullopt;
    if (!facts) return;
    EditorFields f = ReadFields();
    TakePlace(f, desktop_.Displays(), *facts);
    txtPositionX.SetText(win32::Widen(f.PositionX));
    txtPositionY.SetText(win32::Widen(f.PositionY));
    txtSizeW.SetText(win32::Widen(f.SizeW));
    txtSizeH.SetText(win32::Widen(f.SizeH));
    cboDisplay.SetText(win32::Widen(f.Display));
}

void frmAction::txtCaption_LostFocus() {
    txtName.SetText(txtCaption.Text());
}

}  // namespace kvl
