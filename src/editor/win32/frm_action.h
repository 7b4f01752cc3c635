#pragma once
// frmAction, the monitor editor: a modeless tool window above all others that creates or
// changes one monitor. Nothing fires while it is open, until Apply or its closing.
//
// How the main window drives it (one editor at a time; the main window keeps it in a
// std::unique_ptr and creates it on first use):
//   "&New Monitor"          editor->Load()
//   "&Edit Monitor", double click on a line
//                           editor->EditRec(selectedIndex)
//   "&Delete Monitor"       editor->MonitorDeleted(slot) before its RefreshMe
//   EditorHost::EditorClosed()
//                           the window is gone; the main window may delete the object
//                           right there, or keep it and Load it again later.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_fields.h"
#include "editor/editor_host.h"
#include "platform/desktop.h"
#include "editor/win32/finder_drag.h"
#include "editor/win32/frm_add_in.h"
#include "platform/win32/controls.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace kvl {

class frmAction final : public win32::Window {
  public:
    // `desktop` is the program's own: the caption list and the finder read windows through it.
    frmAction(EditorHost& host, Desktop& desktop);
    ~frmAction() override;

    // Opens the dialog on a new, empty monitor. When it is open already it keeps what it
    // shows and the monitor it edits, and only comes to the front.
    void Load();
    bool Loaded() const { return Handle() != nullptr; }

    // Shows monitor slot `index`, loading the dialog first when it is not open. An open
    // dialog shows the slot instead of what it showed; its caption list stays as it was.
    void EditRec(int index);

    // The main window deleted slot `slot` and is about to close the table up: the dialog
    // follows its monitor to its new slot, and if that monitor was the one deleted, its
    // next store creates a new one.
    void MonitorDeleted(int slot);

    // Stores the dialog into the table and has the main window save and redraw it. False
    // when the store was refused (a message said why; nothing was stored).
    bool ApplyProc();

    // The plain layout for displays of fewer than 64000 colours; there is no way back.
    void LowColorMode();
    bool InLowColorMode() const { return lowColour_; }

    // The slot being edited; -1 while a new monitor has not been stored.
    int RecIndex() const { return recIndex_; }

    // The controls, by their names on the form. Frames and the screen are containers.
    win32::CandyScreen CandyScreen1;
    win32::Frame Frame1, Frame2, Frame3, Frame4;
    // Below the others, for which windows the monitor is meant: CandyScreen2 carries the
    // background on below CandyScreen1, FrameWhich holds the conditions and the finder.
    win32::CandyScreen CandyScreen2;
    win32::Frame FrameWhich;
    win32::Label lblProgram, lblWindowClass, lblFinder;
    win32::TextBox txtProgram, txtWindowClass;
    win32::CheckBox chkPattern;
    win32::FinderTarget picFinder;
    // Below that, the button to press once the rest is done.
    win32::Frame FramePress;
    win32::Label lblPressButton;
    win32::TextBox txtPressButton;
    // In the column on the right with the two above: where to put the window.
    win32::Frame FramePlace;
    win32::Label lblPosition, lblSize, lblDisplay, lblOpacity;
    win32::TextBox txtPositionX, txtPositionY, txtSizeW, txtSizeH, txtOpacity;
    win32::ComboBox cboDisplay;
    win32::CheckBox chkOnTop, chkRememberPlace;
    win32::Button cmdTakePlace;
    win32::ComboBox txtCaption;
    win32::CheckBox chkExact;
    win32::TextBox txtName;
    win32::ComboBox cboWindowState;
    win32::Label lblWindowState;
    std::array<win32::Label, kKeystrokeSteps> lblKeystroke, lblPause;
    std::array<win32::StyledButton, kKeystrokeSteps> cmdAddIn;
    std::array<win32::TextBox, kKeystrokeSteps> txtSendKeys;
    std::array<win32::ComboBox, kKeystrokeSteps> cboSendKeysPause;
    win32::CheckBox chkDisable;
    std::array<win32::StyledButton, 2> cmdOK, cmdCancel, cmdApply;
    win32::Label Label3;

    // The tips of the boxes, while the dialog is open.
    HWND ToolTips() const { return toolTips_; }

    // The picker, while it is loaded.
    frmAddIn* Picker() { return picker_ && picker_->Loaded() ? picker_.get() : nullptr; }

    // Whether the finder is out on the pointer, and the window it outlines there.
    bool Finding() const { return finder_.Finding(); }
    HWND OutlinedWindow() const { return finder_.OutlinedWindow(); }

  private:
    static constexpr UINT_PTR kFinderTimer = 1;

    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDpiChanged(int oldDpi) override;
    void SetLabel3Font();
    void SetTipWidth();
    void OnDestroyed() override;

    void Form_Load();
    void Form_Unload();
    void CreateControls();
    void FillCaptionList();
    void ShowFields(const EditorFields& fields);
    EditorFields ReadFields() const;

    void cmdOK_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdAddIn_Click(int index);
    void txtCaption_LostFocus();
    void txtName_GotFocus();
    void txtSendKeys_GotFocus(int index);
    void txtSendKeys_MouseDown(int index, win32::MouseButton button, POINT inField);  // twips
    void ShowPicker(int field, POINT at);
    void chk_Click(win32::CheckBox& box);
    void TakeFoundWindow(HWND window);
    void cmdTakePlace_Click();
    void CreatePlaceGroup(int& id);
    void AppendToSendKeys(int index, const std::wstring& entry);

    void BindEvents();
    void SetColours();
    void ShowMessage(std::string_view text);

    EditorHost& host_;
    Desktop& desktop_;
    int recIndex_ = -1;
    bool lowColour_ = false;
    std::unique_ptr<frmAddIn> picker_;
    HWND toolTips_ = nullptr;   // owned by the window, goes with it
    bool quiet_ = false;        // going with the program: the host hears nothing
    FinderDrag finder_{picFinder, kFinderTimer};
    HWND lastFound_ = nullptr;  // the window the finder last took
    win32::UniqueFont label3Font_;
};

}  // namespace kvl
