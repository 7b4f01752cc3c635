#pragma once
// A text of the program's string table.

#include <windows.h>

#include <string>

namespace kvl::win32 {

inline std::wstring ResourceText(UINT id) {
    const wchar_t* text = nullptr;
    // Asked for no buffer, the call hands out the text in place, which is not terminated.
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace kvl::win32
