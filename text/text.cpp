#include "kelnor/text/text.h"

#include <algorithm>
#include <cstdio>

namespace kelnor {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool startsWithBlank(std::string_view s) {
    return s.front() == ' ' || s.front() == '\t' || s.starts_with(kIdeographicSpace);
}

bool endsWithBlank(std::string_view s) {
    return s.back() == ' ' || s.back() == '\t' || s.ends_with(kIdeographicSpace);
}

void appendHex(std::string& out, const char* format, unsigned value) {
    char text[12];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

}  // namespace

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && startsWithBlank(text)) {
        text.remove_prefix(text.front() == ' ' || text.front() == '\t' ? 1 : 3);
    }
    while (!text.empty() && endsWithBlank(text)) {
        text.remove_suffix(text.back() == ' ' || text.back() == '\t' ? 1 : 3);
    }
    return text;
}

std::size_t utf8SequenceLength(std::string_view s) {
    if (s.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(s[0]);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    // The second byte's narrower range rules out overlong forms, surrogates and values
    // beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    const auto second = static_cast<unsigned char>(s[1]);
    if (second < low || second > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool isUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = utf8SequenceLength(bytes);
        if (n == 0) {
            return false;
        }
        bytes.remove_prefix(n);
    }
    return true;
}

std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t n = utf8SequenceLength(text);
        const auto c = static_cast<unsigned char>(text[0]);
        if (n == 0) {
            appendHex(out, "\\x%02x", c);
            text.remove_prefix(1);
            continue;
        }
        const std::string_view sequence = text.substr(0, n);
        text.remove_prefix(n);
        if (n == 1 && (c < 0x20 || c == 0x7F)) {
            switch (c) {
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    appendHex(out, "\\x%02x", c);
            }
        } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0) {
            // C1 controls U+0080..U+009F; U+0085 is a line break to some terminals.
            appendHex(out, "\\u%04x", static_cast<unsigned char>(sequence[1]));
        } else if (sequence == "\xE2\x80\xA8" || sequence == "\xE2\x80\xA9") {
            out += sequence[2] == '\xA8' ? "\\u2028" : "\\u2029";
        } else {
            out += sequence;
        }
    }
    return out;
}

std::string fillIn(std::string_view pattern,
                   std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    std::string out;
    while (!pattern.empty()) {
        const std::size_t open = pattern.find('{');
        const std::size_t close = pattern.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            break;
        }
        out += pattern.substr(0, open);
        const std::string_view name = pattern.substr(open + 1, close - open - 1);
        const auto value = std::find_if(values.begin(), values.end(),
                                        [name](const auto& v) { return v.first == name; });
        out += value == values.end() ? pattern.substr(open, close - open + 1) : value->second;
        pattern.remove_prefix(close + 1);
    }
    out += pattern;
    return out;
}

std::string inQuotes(std::string_view text) {
    std::string result(1, '"');
    result += text;
    result += '"';
    return result;
}

bool endsWithNoCase(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() &&
           lowerAscii(name.substr(name.size() - ending.size())) == lowerAscii(ending);
}

std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    // The lead byte's marker and how many continuation bytes follow it.
    const int follow = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[follow] | (c >> (6 * follow)));
    for (int k = follow - 1; k >= 0; --k) {
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
}

}  // namespace kelnor
