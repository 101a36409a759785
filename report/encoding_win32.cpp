#include <windows.h>

#include <cstdint>

#include "kelnor/encoding.h"

namespace kelnor {

namespace {

constexpr UINT kCodePage936 = 936;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence a lead byte announces, 1 for a stray byte.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
}

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
        const std::size_t length = sequenceLength(lead);
        std::size_t skip = 1;
        while (skip < length && skip < utf8.size() &&
               isContinuation(static_cast<unsigned char>(utf8[skip]))) {
            ++skip;
        }
        utf8.remove_prefix(skip);
    }
}

std::string toCp936(std::string_view utf8) {
    std::string out;
    appendCp936(out, utf8);
    return out;
}

}  // namespace kelnor
