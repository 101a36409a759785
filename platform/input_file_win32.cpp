#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <system_error>

#include "kelnor/platform/input_file.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor::platform {

namespace {

std::size_t readFrom(int fd, char* buffer, std::size_t size) {
    const int n = _read(fd, buffer, static_cast<unsigned>(size > INT_MAX ? INT_MAX : size));
    if (n < 0) {
        throw std::system_error(errno, std::generic_category());
    }
    return static_cast<std::size_t>(n);
}

}  // namespace

// The name is opened as UTF-16, so a Chinese file name opens under any code page. A folder is
// named as one, as on Linux, rather than with the C runtime's "Permission denied".
InputFile::InputFile(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw std::system_error(EISDIR, std::generic_category());
    }
    fd_ = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY);
    if (fd_ < 0) {
        throw std::system_error(errno, std::generic_category());
    }
}

InputFile::~InputFile() {
    _close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    return readFrom(fd_, buffer, size);
}

ByteSource standardInput() {
    return [](char* buffer, std::size_t size) { return readFrom(0, buffer, size); };
}

}  // namespace kelnor::platform
