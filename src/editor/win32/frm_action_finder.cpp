#include "editor/win32/frm_action.h"

#include "editor/win32/frm_action_layout.h"
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
}

void frmAction::txtCaption_LostFocus() {
    txtName.SetText(txtCaption.Text());
}

}  // namespace kvl
