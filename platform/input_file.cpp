#include "kelnor/platform/input_file.h"

namespace kelnor::platform {

std::string readWholeFile(const std::string& path) {
    InputFile file(path);
    std::string bytes;
    char block[64 * 1024];
    while (const std::size_t n = file.read(block, sizeof block)) {
        bytes.append(block, n);
    }
    return bytes;
}

}  // namespace kelnor::platform
