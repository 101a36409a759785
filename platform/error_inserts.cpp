#include "kelnor/platform/error_text.h"

namespace kelnor::platform {

std::string withInserts(std::string_view message, std::string_view subject) {
    // The inserts are ASCII, so the UTF-8 message is walked byte by byte.
    std::string out;
    std::size_t i = 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < message.size()) {
        const char c = message[i];
        if (c != '%' || i + 1 >= message.size()) {
            out += c == '%' ? std::string() : std::string(1, c);
            ++i;
            continue;
        }
        const char next = message[i + 1];
        i += 2;
        if (next >= '1' && next <= '9') {
            if (i < message.size() && isDigit(message[i])) {
                ++i;
            }
            // A printf-like format of the insert: %1!d!.
            if (i < message.size() && message[i] == '!') {
                const std::size_t end = message.find('!', i + 1);
                i = end == std::string_view::npos ? message.size() : end + 1;
            }
            out += subject;
        } else if (next == '0') {
            break;  // the message ends here, without a line break
        } else if (next == 'n' || next == 't') {
            out += ' ';
        } else if (next == '%' || next == '.' || next == '!') {
            out += next;
        }
        // %r and anything unknown: nothing.
    }
    // A sentence whose insert was left out: no blank before its end.
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

}  // namespace kelnor::platform
