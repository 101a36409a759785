#include "kelnor/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace kelnor {

namespace {

// One converter per thread, opened on first use and reset for every text.
class Converter {
  public:
    Converter() : cd_(iconv_open("CP936", "UTF-8")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("the system has no UTF-8 to CP936 converter");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    void append(std::string& out, std::string_view utf8) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = utf8.size();
        char buf[256];
        while (inLeft > 0) {
            char* outPtr = buf;
            std::size_t outLeft = sizeof buf;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buf, outPtr - buf);
            if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) {
                continue;
            }
            // EILSEQ (no such character in the code page, or not UTF-8) or EINVAL (a
            // sequence cut off at the end): write "?" for one character and go on.
            out += '?';
            const std::size_t length = sequenceLength(*in);
            std::size_t skip = 1;
            while (skip < length && skip < inLeft && isContinuation(in[skip])) {
                ++skip;
            }
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
    }

  private:
    // Length of the UTF-8 sequence a lead byte announces, 1 for a stray byte.
    static std::size_t sequenceLength(char lead) {
        const auto c = static_cast<unsigned char>(lead);
        if (c >= 0xC2 && c <= 0xDF) {
            return 2;
        }
        if (c >= 0xE0 && c <= 0xEF) {
            return 3;
        }
        if (c >= 0xF0 && c <= 0xF4) {
            return 4;
        }
        return 1;
    }

    static bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

    iconv_t cd_;
};

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
    thread_local Converter converter;
    converter.append(out, utf8);
}

std::string toCp936(std::string_view utf8) {
    std::string out;
    appendCp936(out, utf8);
    return out;
}

}  // namespace kelnor
