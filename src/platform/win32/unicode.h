#pragma once
// The core speaks UTF-8; Win32 speaks UTF-16. These convert at the boundary.

#include <string>
#include <string_view>

namespace kvl::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace kvl::win32
