#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cerrno>
#include <cstdio>

#include "kelnor/wide_text.h"
#include "program.h"

namespace kelnor::cli {

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

// A folder is named as one, as on Linux, rather than with the C runtime's "Permission denied".
int openForReading(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return -1;
    }
    return _wopen(wide.c_str(), _O_RDONLY | _O_BINARY);
}

std::error_code folderProblem(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {static_cast<int>(GetLastError()), std::system_category()};
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

}  // namespace kelnor::cli
