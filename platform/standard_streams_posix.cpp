#include <unistd.h>

#include <cerrno>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/standard_streams.h"

namespace kelnor::platform {

ProgramArguments::ProgramArguments(int argc, char** argv) : texts_(argv, argv + argc) {
    for (const auto& text : texts_) {
        pointers_.push_back(text.c_str());
    }
}

void useBinaryStandardStreams() {}

void writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw WriteFailure("standard output",
                               std::error_code(n < 0 ? errno : EIO, std::generic_category()));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace kelnor::platform
