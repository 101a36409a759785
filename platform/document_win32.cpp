#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "kelnor/platform/document.h"

namespace kelnor::platform {

// The viewer the user has chosen for the file's type, started in the file's folder.
std::error_code openDocument(const std::filesystem::path& file) {
    const std::wstring folder = file.parent_path().wstring();
    const std::wstring name = file.filename().wstring();
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", name.c_str(), nullptr,
                      folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL));
    if (started <= 32) {
        const DWORD error = GetLastError();
        return {static_cast<int>(error != 0 ? error : ERROR_NO_ASSOCIATION),
                std::system_category()};
    }
    return {};
}

}  // namespace kelnor::platform
