#include <cstdlib>
#include <system_error>

#include "kelnor/platform/program_folder.h"

namespace kelnor::platform {

std::filesystem::path programFolder() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path(".") : program.parent_path();
}

std::filesystem::path userDataFolder() {
    // The XDG base directories: $XDG_DATA_HOME when it is an absolute path, else
    // ~/.local/share.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return std::filesystem::path(data) / "kelnor";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local/share/kelnor";
}

}  // namespace kelnor::platform
