#pragma once

#include <string>
#include <string_view>

namespace kelnor {

// `directory`/tavoout.txt, with the system's separator.
std::string reportPath(const std::string& directory);

// Replaces `directory`/tavoout.txt with `bytes`, whole and flushed, as platform::replaceFile
// does; raises its WriteFailure.
void writeReportFile(const std::string& directory, std::string_view bytes);

}  // namespace kelnor
