#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kelnor {

// The file-system calls the report writer makes, behind one seam so tests can make any of
// them fail (a full disk, a failing rename) where the real file system will not.
class FileOps {
  public:
    virtual ~FileOps() = default;
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
};

FileOps& systemFileOps();

// Replaces the file at `path` with `bytes`. The bytes go to a new file beside it that is
// renamed over the old one only once complete, so a failed create, write or close leaves the
// previous report exactly as it was and no stray file behind. Raises
// Failure(CannotWriteReport) naming the file and the system's reason.
void replaceFile(const std::string& path, std::string_view bytes, FileOps& ops = systemFileOps());

// Replaces `directory`/tavoout.txt with `bytes`, as replaceFile does.
void writeReportFile(const std::string& directory, std::string_view bytes,
                     FileOps& ops = systemFileOps());

// `directory`/tavoout.txt
std::string reportPath(const std::string& directory);

}  // namespace kelnor
