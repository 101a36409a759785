#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kelnor::fuzz {

// Ends the run on a broken invariant. libFuzzer treats the abort as a crash and keeps the
// input that caused it, so the case can be replayed and shrunk.
[[noreturn]] inline void broken(std::string_view what, std::string_view detail = {}) {
    std::fprintf(stderr, "broken invariant: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) {
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
    }
    std::abort();
}

inline void require(bool holds, std::string_view what, std::string_view detail = {}) {
    if (!holds) [[unlikely]] {
        broken(what, detail);
    }
}

// The input bytes as a quoted C string, for messages.
inline std::string asCString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f || c == '"' || c == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace kelnor::fuzz
