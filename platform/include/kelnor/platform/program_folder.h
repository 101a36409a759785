#pragma once

// Where the program lies and where it may keep the user's files.

#include <filesystem>
#include <string_view>

namespace kelnor::platform {

// The parameter help text both windows open, beside the programs.
inline constexpr std::string_view kHelpFileName = "帮助文件.txt";

// The help text in `programFolder`: its path, and whether it is there as a file a viewer can
// open (a folder of that name is none).
struct HelpFile {
    std::filesystem::path path;
    bool present = false;
};
HelpFile helpFile(const std::filesystem::path& programFolder);

// The folder of the running program, from its full path name however long.
std::filesystem::path programFolder();

// The user's own data folder for the program: $XDG_DATA_HOME/kelnor (normally
// ~/.local/share/kelnor) or %LOCALAPPDATA%\Kelnor. Not made here.
std::filesystem::path userDataFolder();

}  // namespace kelnor::platform
