#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "kelnor/platform/text_encoding.h"
#include "utf8_sequence.h"

namespace kelnor::platform {

namespace {

constexpr UINT kCodePage936 = 936;

// The character a well-formed UTF-8 sequence at the start of `s` encodes, with its length;
// 0 for a sequence that is cut off, overlong, a surrogate or beyond U+10FFFF.
std::size_t decodeOne(std::string_view s, char32_t& c) {
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t length = sequenceLength(lead);
    if (length == 1 || s.size() < length) {
        return 0;
    }
    const auto second = static_cast<unsigned char>(s[1]);
    // The second byte's narrower range rules out overlong forms, surrogates and values
    // beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) {
        low = 0xA0;
    } else if (lead == 0xED) {
        high = 0x9F;
    } else if (lead == 0xF0) {
        low = 0x90;
    } else if (lead == 0xF4) {
        high = 0x8F;
    }
    if (second < low || second > high) {
        return 0;
    }
    c = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (!isContinuation(b)) {
            return 0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    return length;
}

// The private-use characters U+E000..U+F8FF, which Windows gives the user-defined codes of the
// code page and the Linux converter does not: "?" on both, so a report has the same bytes.
bool isPrivateUse(char32_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

// One character in code page 936 through the system's converter, or "?" when it lacks it.
// No best-fit: a character without its own code must not turn into a look-alike.
void appendCharacter(std::string& out, char32_t c) {
    if (isPrivateUse(c)) {
        out += '?';
        return;
    }
    wchar_t units[2];
    int count = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(c);
    }
    char bytes[8];
    BOOL lacking = FALSE;
    const int n = WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, units, count, bytes,
                                      sizeof bytes, nullptr, &lacking);
    if (n <= 0 || lacking) {
        out += '?';
    } else {
        out.append(bytes, static_cast<std::size_t>(n));
    }
}

}  // namespace

void appendCp936(std::string& out, std::string_view utf8) {
    while (!utf8.empty()) {
        const auto lead = static_cast<unsigned char>(utf8[0]);
        if (lead < 0x80) {  // code page 936 keeps ASCII as it is
            out += utf8[0];
            utf8.remove_prefix(1);
            continue;
        }
        char32_t c = 0;
        if (const std::size_t length = decodeOne(utf8, c)) {
            appendCharacter(out, c);
            utf8.remove_prefix(length);
            continue;
        }
        // Not UTF-8: one "?" for the lead byte and the continuation bytes it announced, as
        // the Linux converter skips them.
        out += '?';
        utf8.remove_prefix(skippedLength(utf8));
    }
}

std::string toCp936(std::string_view utf8) {
    std::string out;
    appendCp936(out, utf8);
    return out;
}

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    if (gbk.empty()) {
        return std::string();
    }
    // GB18030 (code page 54936) holds every GBK sequence with the same bytes and the
    // four-byte forms beyond; code page 936, which Excel writes, adds the euro sign at 0x80.
    const int size = static_cast<int>(gbk.size());
    for (const UINT codePage : {UINT{54936}, kCodePage936}) {
        if (!IsValidCodePage(codePage)) {
            continue;
        }
        const int n =
            MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
        if (n <= 0) {
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, gbk.data(), size, wide.data(), n);
        return narrow(wide);
    }
    return std::nullopt;
}

}  // namespace kelnor::platform
