#include "kelnor/platform/input_file.h"

#include <system_error>

#include "kelnor/platform/program_folder.h"
#include "kelnor/text/text.h"

namespace kelnor::platform {

HelpFile helpFile(const std::filesystem::path& programFolder) {
    HelpFile help{programFolder / pathFromUtf8(kHelpFileName)};
    std::error_code error;
    help.present = std::filesystem::is_regular_file(help.path, error);
    return help;
}

std::string readWholeFile(const std::filesystem::path& path, std::size_t limit) {
    InputFile file(path);
    std::string bytes;
    char block[64 * 1024];
    while (const std::size_t n = file.read(block, sizeof block)) {
        if (bytes.size() + n > limit) {
            throw std::system_error(std::make_error_code(std::errc::file_too_large),
                                    utf8Path(path));
        }
        bytes.append(block, n);
    }
    return bytes;
}

}  // namespace kelnor::platform
