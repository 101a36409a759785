#pragma once

#include <filesystem>

namespace kelnor::form {

// Whether a new file can be made in `folder` by this user now: tried, not guessed from the
// permission bits, which say nothing of a read-only mount or an access-control list.
bool canWriteIn(const std::filesystem::path& folder);

// Where the window writes and opens its report: beside the program, where it always was,
// when the user may write there; otherwise (a program installed system-wide) in
// `userDataFolder`, made when missing. The help text is always read beside the program.
std::filesystem::path reportFolder(const std::filesystem::path& programFolder,
                                   const std::filesystem::path& userDataFolder);

}  // namespace kelnor::form
