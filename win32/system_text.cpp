#include "system_text.h"

#include <shlobj.h>

#include <vector>

#include "kelnor/wide_text.h"

namespace kelnor::win32 {

std::string systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    if (message.empty()) {
        return "Windows error " + std::to_string(code);
    }
    return narrow(message);
}

std::string reasonText(const std::error_code& reason) {
    if (reason.category() == std::system_category()) {
        return systemMessage(static_cast<DWORD>(reason.value()));
    }
    const std::string ansi = reason.message();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
    return narrow(wide);
}

std::wstring programFolder() {
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

std::wstring userDataFolder() {
    wchar_t* local = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
        folder = std::wstring(local) + L"\\Kelnor";
    }
    CoTaskMemFree(local);
    return folder;
}

}  // namespace kelnor::win32
