#include "platform/win32/files_win32.h"

#include <windows.h>

#include <commdlg.h>

#include <limits>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

namespace {

using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// Both dialogs take the same description; only the flags and the function differ.
std::optional<std::string> RunFileDialog(const char* function, std::string_view title,
                                         std::string_view suggestedName, DWORD flags) {
    const auto dialog = SystemFunction<FileDialogFn>(L"comdlg32.dll", function);
    if (!dialog) return std::nullopt;
    static constexpr wchar_t kFilter[] = L"Registration Files (*.reg)\0*.reg\0All Files (*.*)\0*.*\0";
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring suggested = Widen(suggestedName);
    suggested.copy(path.data(), path.size() - 1);
    const std::wstring caption = Widen(title);
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrDefExt = L"reg";
    // The current folder is left alone: programs we start must not inherit the user's.
    ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!dialog(&ofn)) return std::nullopt;
    return Narrow(path.data());
}

// CreateFileW fails with INVALID_HANDLE_VALUE, not null: the owner then holds null.
UniqueHandle OwnFile(HANDLE file) {
    return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

}  // namespace

std::optional<std::string> Win32Files::ChooseFileToSave(std::string_view title,
                                                        std::string_view suggestedName) {
    return RunFileDialog("GetSaveFileNameW", title, suggestedName, OFN_OVERWRITEPROMPT);
}

std::optional<std::string> Win32Files::ChooseFileToOpen(std::string_view title) {
    return RunFileDialog("GetOpenFileNameW", title, "", OFN_FILEMUSTEXIST);
}

// Written beside the file under another name, then put in its place in one step: a failure
// half-way leaves the file as it was. The Save dialog offers to overwrite a read-only file
// too; replacing it would undo what its owner set, so it is left alone and said so.
FileWrite Win32Files::WriteWholeFile(std::string_view path, std::string_view bytes) {
    const std::wstring target = Widen(path);
    const std::wstring temporary = target + L".kvl-new";
    if (bytes.size() > std::numeric_limits<DWORD>::max()) return FileWrite::Failed;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return FileWrite::ReadOnly;
    {
        UniqueHandle file = OwnFile(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return FileWrite::Failed;
        DWORD written = 0;
        const bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                  &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(file.get());
        if (!ok) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return FileWrite::Failed;
        }
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FileWrite::Written;
    DeleteFileW(temporary.c_str());
    return FileWrite::Failed;
}

std::optional<std::string> Win32Files::ReadFileStart(std::string_view path, std::size_t maxBytes) {
    UniqueHandle file = OwnFile(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof chunk, maxBytes - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

std::optional<std::string> Win32Files::AnsiToUtf8(std::string_view text) {
    if (text.empty()) return std::string();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), n);
    return Narrow(wide);
}

}  // namespace kvl::win32
