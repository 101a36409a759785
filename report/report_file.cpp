#include "kelnor/report_file.h"

#include "kelnor/platform/file_replacement.h"
#include "kelnor/report.h"
#include "kelnor/text/text.h"

namespace kelnor {

std::string reportPath(const std::string& directory) {
    std::string path = directory.empty() ? std::string(".") : directory;
    if (!platform::isPathSeparator(path.back())) {
        path += platform::kPathSeparator;
    }
    return path + kReportFileName;
}

void writeReportFile(const std::string& directory, std::string_view bytes) {
    // The form holds its folder as the text it shows; it becomes a path here, where it is named.
    platform::replaceFile(pathFromUtf8(reportPath(directory)), bytes, platform::Flush::Now);
}

}  // namespace kelnor
