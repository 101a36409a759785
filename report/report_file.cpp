#include "kelnor/report_file.h"

#include "kelnor/platform/file_replacement.h"
#include "kelnor/report.h"

namespace kelnor {

std::string reportPath(const std::string& directory) {
    std::string path = directory.empty() ? std::string(".") : directory;
    if (!platform::isPathSeparator(path.back())) {
        path += platform::kPathSeparator;
    }
    return path + kReportFileName;
}

void writeReportFile(const std::string& directory, std::string_view bytes) {
    platform::replaceFile(reportPath(directory), bytes, platform::Flush::Now);
}

}  // namespace kelnor
