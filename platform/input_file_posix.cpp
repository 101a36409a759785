#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "kelnor/platform/input_file.h"

namespace kelnor::platform {

namespace {

std::size_t readFrom(int fd, char* buffer, std::size_t size) {
    while (true) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            // A folder opens for reading on Linux; reading it gives "Is a directory".
            throw std::system_error(errno, std::generic_category());
        }
    }
}

}  // namespace

InputFile::InputFile(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) {
        throw std::system_error(errno, std::generic_category());
    }
}

InputFile::~InputFile() {
    ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    return readFrom(fd_, buffer, size);
}

ByteSource standardInput() {
    return [](char* buffer, std::size_t size) { return readFrom(STDIN_FILENO, buffer, size); };
}

}  // namespace kelnor::platform
