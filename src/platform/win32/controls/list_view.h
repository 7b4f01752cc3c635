#pragma once
// A report-style list: rows of cells under column headings, whole rows selected.

#include <vector>

#include "platform/win32/controls/control.h"

namespace kvl::win32 {

struct ListViewArgs {
    HWND parent = nullptr;
    int id = 0;
    TwipsRect at{};
};

class ListView : public Control {
public:
    bool Create(const ListViewArgs& args);
    void AddColumn(std::wstring_view heading, int widthTwips);
    void Clear();
    void AddRow(const std::vector<std::wstring>& cells);  // at the end
    int RowCount() const;
    int ColumnCount() const;
    std::wstring Cell(int row, int column) const;
    std::vector<int> SelectedRows() const;
    void SelectAll();
    void SelectOnly(int row);  // and gives it the focus mark

    // A key went down while the list had the focus.
    std::function<void(WORD key)> onKeyDown;

protected:
    bool Notify(const NMHDR& header, LRESULT& result) override;
    void Rescaled(int oldDpi) override;
};

}  // namespace kvl::win32
