#include "kelnor/platform/input_file.h"

#include <system_error>

namespace kelnor::platform {

std::string readWholeFile(const std::string& path, std::size_t limit) {
    InputFile file(path);
    std::string bytes;
    char block[64 * 1024];
    while (const std::size_t n = file.read(block, sizeof block)) {
        if (bytes.size() + n > limit) {
            throw std::system_error(std::make_error_code(std::errc::file_too_large), path);
        }
        bytes.append(block, n);
    }
    return bytes;
}

}  // namespace kelnor::platform
