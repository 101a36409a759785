#include "kelnor/platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string>

#include "utf8_sequence.h"

namespace kelnor::platform {

namespace {

// Converts all of `in` through `cd` and appends it. Where a sequence has no character in the
// target or is cut off: with `substitute`, one "?" for it and on; otherwise false.
bool convert(iconv_t cd, std::string_view in, std::string& out, bool substitute) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* from = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[1024];
    while (left > 0) {
        char* to = buf;
        std::size_t room = sizeof buf;
        const std::size_t rc = iconv(cd, &from, &left, &to, &room);
        out.append(buf, static_cast<std::size_t>(to - buf));
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // EILSEQ (no such character, or not the source encoding) or EINVAL (cut off).
        if (!substitute) {
            return false;
        }
        out += '?';
        const std::size_t skip = skippedLength(std::string_view(from, left));
        from += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

// A converter of the system's, opened once per thread.
iconv_t converter(const char* to, const char* from) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("the system has no ") + from + " to " + to +
                                 " converter");
    }
    return cd;
}

bool isAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

void appendCp936(std::string& out, std::string_view utf8) {
    if (isAscii(utf8)) {  // code page 936 keeps ASCII as it is
        out += utf8;
        return;
    }
    thread_local const iconv_t cd = converter("CP936", "UTF-8");
    convert(cd, utf8, out, true);
}

std::string toCp936(std::string_view utf8) {
    std::string out;
    appendCp936(out, utf8);
    return out;
}

std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
    // GB18030 holds every GBK sequence with the same bytes and the four-byte forms beyond;
    // code page 936, which Excel writes, adds the euro sign at 0x80, which GB18030 lacks.
    thread_local const iconv_t gb18030 = converter("UTF-8", "GB18030");
    thread_local const iconv_t cp936 = converter("UTF-8", "CP936");
    for (const iconv_t cd : {gb18030, cp936}) {
        std::string utf8;
        if (convert(cd, gbk, utf8, false)) {
            return utf8;
        }
    }
    return std::nullopt;
}

}  // namespace kelnor::platform
