#include "platform/win32/controls/list_view.h"

#include <commctrl.h>

namespace kvl::win32 {

bool ListView::Create(const ListViewArgs& args) {
    if (!CreateControl(args.parent, args.id, WC_LISTVIEWW, L"",
                       WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, args.at, WS_EX_CLIENTEDGE))
        return false;
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT);
    return true;
}

void ListView::AddColumn(std::wstring_view heading, int widthTwips) {
    std::wstring text(heading);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = TwipsToPixels(widthTwips, Dpi());
    ListView_InsertColumn(hwnd_, ColumnCount(), &column);
}

// The columns keep the widths the user gave them, at the new scale.
void ListView::Rescaled(int oldDpi) {
    for (int k = 0; k < ColumnCount(); ++k)
        ListView_SetColumnWidth(hwnd_, k, MulDiv(ListView_GetColumnWidth(hwnd_, k), Dpi(), oldDpi));
}

void ListView::Clear() { ListView_DeleteAllItems(hwnd_); }

void ListView::AddRow(const std::vector<std::wstring>& cells) {
    if (cells.empty()) return;
    std::wstring first = cells[0];
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount();
    item.pszText = first.data();
    const int row = ListView_InsertItem(hwnd_, &item);
    if (row < 0) return;
    for (std::size_t k = 1; k < cells.size(); ++k) {
        std::wstring cell = cells[k];
        ListView_SetItemText(hwnd_, row, static_cast<int>(k), cell.data());
    }
}

int ListView::RowCount() const { return ListView_GetItemCount(hwnd_); }

int ListView::ColumnCount() const {
    return Header_GetItemCount(ListView_GetHeader(hwnd_));
}

std::wstring ListView::Cell(int row, int column) const {
    // Grown until the text fits: the list view gives no length.
    for (std::size_t size = 256;; size *= 4) {
        std::wstring text(size, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const auto n = static_cast<std::size_t>(SendMessageW(
            hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < size || size >= (1u << 20)) {
            text.resize(n);
            return text;
        }
    }
}

std::vector<int> ListView::SelectedRows() const {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(hwnd_, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void ListView::SelectAll() { ListView_SetItemState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED); }

void ListView::SelectOnly(int row) {
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool ListView::Notify(const NMHDR& header, LRESULT& result) {
    if (header.code != LVN_KEYDOWN) return false;
    result = 0;
    return Raise(onKeyDown, reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
}

}  // namespace kvl::win32
