#include "kelnor/form/report_folder.h"

#include <atomic>
#include <fstream>
#include <string>
#include <system_error>

namespace kelnor::form {

bool canWriteIn(const std::filesystem::path& folder) {
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return false;
    }
    // A hidden name of its own, so no file of the user's is touched.
    const std::filesystem::path probe =
        folder / (".kelnor-write-probe-" + std::to_string(counter++) + ".tmp");
    if (std::filesystem::exists(probe, ec)) {
        return false;
    }
    bool made = false;
    {
        std::ofstream file(probe, std::ios::binary);
        made = file.is_open() && static_cast<bool>(file << 'k');
    }
    std::filesystem::remove(probe, ec);
    return made;
}

std::filesystem::path reportFolder(const std::filesystem::path& programFolder,
                                   const std::filesystem::path& userDataFolder) {
    if (canWriteIn(programFolder)) {
        return programFolder;
    }
    std::error_code ec;
    std::filesystem::create_directories(userDataFolder, ec);
    return userDataFolder;
}

}  // namespace kelnor::form
