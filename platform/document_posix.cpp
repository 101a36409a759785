#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "kelnor/platform/document.h"

extern char** environ;

namespace kelnor::platform {

// xdg-open, the desktop's own opener, started without a shell so no character of the name is
// taken for anything but the name; it is waited for on a thread of its own so that it leaves
// no zombie behind and the window does not wait.
std::error_code openDocument(const std::filesystem::path& file) {
    std::string name = file.string();
    char program[] = "xdg-open";
    char* const argv[] = {program, name.data(), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ)) {
        return {error, std::generic_category()};
    }
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return {};
}

}  // namespace kelnor::platform
