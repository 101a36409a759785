#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cerrno>
#include <cstdio>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/standard_streams.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor::platform {

// The arguments are read again from the UTF-16 command line, as the system split them;
// the narrow argv holds them in the ANSI code page, where Chinese may already be "?".
ProgramArguments::ProgramArguments(int argc, char** argv) {
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            texts_.push_back(narrow(wide[i]));
        }
        LocalFree(wide);
    } else {
        texts_.assign(argv, argv + argc);
    }
    for (const auto& text : texts_) {
        pointers_.push_back(text.c_str());
    }
}

// In text mode the C runtime would write CR LF for LF (CR CR LF for the report's CR LF) and
// stop reading standard input at a Ctrl-Z.
void useBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<unsigned>(bytes.size());
        const int n = _write(1, bytes.data(), chunk);
        if (n <= 0) {
            throw WriteFailure("standard output",
                               std::error_code(n < 0 ? errno : EIO, std::generic_category()));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::wstring quoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

}  // namespace kelnor::platform
