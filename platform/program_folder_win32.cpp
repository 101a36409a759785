#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>
#include <vector>

#include "kelnor/platform/program_folder.h"

namespace kelnor::platform {

std::filesystem::path programFolder() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return L".";
        }
        if (length < name.size()) {
            std::wstring path(name.data(), length);
            return path.substr(0, path.find_last_of(L"\\/"));
        }
        name.resize(name.size() * 2);  // cut short: a longer path than MAX_PATH
    }
}

std::filesystem::path userDataFolder() {
    wchar_t* local = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
        folder = std::wstring(local) + L"\\Kelnor";
    }
    CoTaskMemFree(local);
    return folder;
}

}  // namespace kelnor::platform
