#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/files_win32.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

// The Save dialog offers to overwrite a read-only file too: the export leaves it as it was
// and says why, where any other file is replaced whole.
TEST(Win32Files, ReplacesAFileWholeButLeavesAReadOnlyOneAsItWas) {
    wchar_t folder[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring path = folder + wintest::UniqueName(L"export") + L".reg";
    struct Remove {
        const std::wstring& path;
        ~Remove() {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } remove{path};
    const std::string name = win32::Narrow(path);
    win32::Win32Files files;

    ASSERT_EQ(files.WriteWholeFile(name, "first"), FileWrite::Written);
    ASSERT_EQ(files.WriteWholeFile(name, "second"), FileWrite::Written);
    EXPECT_EQ(files.ReadFileStart(name, 100), "second");

    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files.WriteWholeFile(name, "third"), FileWrite::ReadOnly);
    EXPECT_EQ(files.ReadFileStart(name, 100), "second");
    EXPECT_EQ(GetFileAttributesW((path + L".kvl-new").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kvl
