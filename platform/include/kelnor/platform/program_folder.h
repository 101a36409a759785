#pragma once

// Where the program lies and where it may keep the user's files.

#include <filesystem>

namespace kelnor::platform {

// The folder of the running program, from its full path name however long.
std::filesystem::path programFolder();

// The user's own data folder for the program: $XDG_DATA_HOME/kelnor (normally
// ~/.local/share/kelnor) or %LOCALAPPDATA%\Kelnor. Not made here.
std::filesystem::path userDataFolder();

}  // namespace kelnor::platform
