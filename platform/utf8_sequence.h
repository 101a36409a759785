#pragma once

// The shape of UTF-8 sequences, as both systems' code-page converters step over what they
// cannot convert.

#include <cstddef>
#include <string_view>

namespace kelnor::platform {

inline bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence a lead byte announces, 1 for a stray byte.
inline std::size_t sequenceLength(unsigned char lead) {
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

// How many bytes at the start of `bytes`, which do not make a character the code page has,
// one "?" stands for: the lead byte and the continuation bytes it announced.
inline std::size_t skippedLength(std::string_view bytes) {
    const std::size_t length = sequenceLength(static_cast<unsigned char>(bytes[0]));
    std::size_t skip = 1;
    while (skip < length && skip < bytes.size() &&
           isContinuation(static_cast<unsigned char>(bytes[skip]))) {
        ++skip;
    }
    return skip;
}

}  // namespace kelnor::platform
