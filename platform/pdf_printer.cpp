// Printing to PDF, the part every system shares: the temporary folder, the page written into
// it, the browser run on it, and the PDF put in place whole.

#include <filesystem>
#include <random>
#include <thread>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/input_file.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/text/text.h"

namespace kelnor::platform {

namespace {

namespace fs = std::filesystem;

// A folder of its own in the system's temporary folder, made when constructed, for this
// process's user only, and removed with everything in it when destroyed.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error) {
            // No path to name: the system's setting (TMPDIR, TEMP) names no folder.
            throw WriteFailure("the system's temporary folder", error);
        }
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate =
                base / ("kelnor-book-" + std::to_string(entropy()) + std::to_string(entropy()));
            // Made here or not at all: an existing folder of that name is someone else's.
            if (fs::create_directory(candidate, error)) {
                path_ = candidate;
                fs::permissions(path_, fs::perms::owner_all, error);
                return;
            }
            if (error) {
                throw WriteFailure(utf8Path(candidate), error);
            }
        }
        throw WriteFailure(utf8Path(base), std::make_error_code(std::errc::file_exists));
    }

    ~ScratchFolder() {
        // A helper the browser started may hold a file of its profile for a moment after the
        // browser itself has ended (Windows does not remove an open file).
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::error_code error;
            fs::remove_all(path_, error);
            if (!error) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(std::string_view name) const { return path_ / name; }

  private:
    fs::path path_;
};

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
}

}  // namespace

std::string fileUrl(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    // A Windows path starts with its drive, "C:", which the URL puts after a third "/".
    if (!absolutePath.starts_with('/')) {
        url += '/';
    }
    for (const char c : absolutePath) {
        if (c == '\\') {
            url += '/';
        } else if (isUnreserved(c)) {
            url += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xF];
        }
    }
    return url;
}

void printToPdf(std::string_view html, const fs::path& target, std::stop_token stop) {
    // Looked for first: without a browser nothing is made, not even the temporary folder.
    const std::optional<std::string> browser = findBrowser();
    if (!browser) {
        throw PrintFailure(PrintFailureKind::NoBrowser, "");
    }
    const ScratchFolder scratch;
    const fs::path page = scratch / "book.html";
    const fs::path pdf = scratch / "book.pdf";
    replaceFile(page, html, Flush::Later);
    runHeadlessPrint(*browser, fileUrl(utf8Path(fs::absolute(page))), utf8Path(pdf),
                     utf8Path(scratch / "profile"), kPrintTimeout, stop);
    std::string bytes;
    try {
        bytes = readWholeFile(pdf);
    } catch (const std::system_error&) {
        throw PrintFailure(PrintFailureKind::NoPdf, *browser);
    }
    if (!bytes.starts_with("%PDF-")) {
        throw PrintFailure(PrintFailureKind::NoPdf, *browser);
    }
    // Stopped after the browser ended: the old PDF is kept all the same.
    if (stop.stop_requested()) {
        throw PrintFailure(PrintFailureKind::Cancelled, *browser);
    }
    replaceFile(target, bytes);
}

}  // namespace kelnor::platform
