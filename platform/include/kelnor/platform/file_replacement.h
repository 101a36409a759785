#pragma once

// Replacing a file whole, so a failure part-way never leaves a partial file, and flushing
// what was written to the disk.

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace kelnor::platform {

// A file that could not be written or replaced: the file and the system's reason. It carries
// data only; each front end words it.
class WriteFailure : public std::exception {
  public:
    WriteFailure(std::string path, std::error_code reason)
        : path_(std::move(path)), reason_(reason) {}

    const std::string& path() const noexcept { return path_; }
    std::error_code reason() const noexcept { return reason_; }
    const char* what() const noexcept override { return "cannot write file"; }

  private:
    std::string path_;
    std::error_code reason_;
};

// When a replaced file reaches the disk.
enum class Flush {
    // Before replaceFile returns: the file's bytes before the rename, the folder after it, so
    // a power cut leaves the old file or the new one, never an empty one.
    Now,
    // Left to the caller, who writes many files and flushes their folder once with
    // flushFolder when all are written.
    Later,
};

// Replaces the file at `path` with `bytes`. The bytes go to a new file beside it that
// is renamed over the old one only once complete, so a failed create, write or close leaves
// the previous file exactly as it was and no stray file behind. An existing file that may not
// be written (read-only, or another user's without write permission) is kept and the call
// fails: replacing it by rename would get round its protection. Raises WriteFailure naming the
// file and the system's reason.
void replaceFile(const std::filesystem::path& path, std::string_view bytes,
                 Flush flush = Flush::Now);
// A path held as text must become a path where it is named (pathFromUtf8), not here.
void replaceFile(const std::string& path, std::string_view bytes,
                 Flush flush = Flush::Now) = delete;

// Flushes to disk every file written in the file system of `folder` and then the folder
// itself. Raises WriteFailure naming the folder when the system reports a lost write.
void flushFolder(const std::string& folder);

// Why files cannot be written into the folder named in UTF-8, or nothing when it is a folder.
std::error_code folderProblem(const std::string& path);

// The separator the system writes between a folder and a name.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates folders in a path on this system ("/" everywhere, "\" on Windows too).
constexpr bool isPathSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}

}  // namespace kelnor::platform
