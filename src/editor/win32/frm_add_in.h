#pragma once
// frmAddIn, the special-key picker: a small borderless list over the monitor editor. A
// pick appends the entry to the keystroke field that opened the picker, and the picker goes.

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/controls.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"

namespace kvl {

class frmAddIn final : public win32::Window {
  public:
    // Receives each pick: the keystroke field it is for and the entry's text.
    using PickHandler = std::function<void(int field, const std::wstring& entry)>;

    explicit frmAddIn(PickHandler onPick) : onPick_(std::move(onPick)) {}

    // Shows the picker for keystroke field `field`, its top-left corner at `at` (screen
    // twips), loading it first when it is not loaded. `owner` is the editor: the picker stays
    // above it and goes with it. Opened again while shown, it moves, comes to the front and
    // changes field.
    void ShowFor(int field, HWND owner, POINT at);

    // Closes the picker; a later ShowFor loads it afresh, with nothing selected.
    void Unload();
    bool Loaded() const { return Handle() != nullptr; }

    int TargetField = 0;
    win32::ListBox List1;

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Form_Load(HWND owner, POINT at);
    void List1_Click();
    void List1_MouseUp();
    void StayOnTop_Timer();
    void StayAboveOwner();

    PickHandler onPick_;
    bool picked_ = false;
    bool unloadOnRelease_ = false;
    win32::WindowTimer stayOnTop_{1, 100};
};

}  // namespace kvl
