#include <windows.h>

#include <string>

#include "kelnor/platform/error_text.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor::platform {

namespace {

std::string systemMessage(DWORD code, std::string_view subject) {
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
    // Asked for without its inserts filled, which would need their values: filled here.
    return withInserts(narrow(message), subject);
}

}  // namespace

std::string reasonText(const std::error_code& reason, std::string_view subject) {
    if (reason.category() == std::system_category()) {
        return systemMessage(static_cast<DWORD>(reason.value()), subject);
    }
    const std::string ansi = reason.message();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
    return narrow(wide);
}

}  // namespace kelnor::platform
