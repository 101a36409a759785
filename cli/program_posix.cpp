#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "program.h"

namespace kelnor::cli {

ProgramArguments::ProgramArguments(int argc, char** argv) : texts_(argv, argv + argc) {
    for (const auto& text : texts_) {
        pointers_.push_back(text.c_str());
    }
}

void useBinaryStandardStreams() {}

int openForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

std::error_code folderProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {errno, std::generic_category()};
    }
    if (!S_ISDIR(st.st_mode)) {
        return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

}  // namespace kelnor::cli
