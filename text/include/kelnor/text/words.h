#pragma once

// The words for the values of an enumeration, kept as a small table by whoever words them.

#include <cstddef>
#include <string_view>

namespace kelnor {

template <typename Enum>
struct Word {
    Enum value;
    std::string_view text;
};

// The text of `value` in `words`; empty where the table has none.
template <typename Enum, std::size_t N>
constexpr std::string_view wordFor(Enum value, const Word<Enum> (&words)[N]) {
    for (const Word<Enum>& w : words) {
        if (w.value == value) {
            return w.text;
        }
    }
    return {};
}

}  // namespace kelnor
