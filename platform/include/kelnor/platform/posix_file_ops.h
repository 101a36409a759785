#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "kelnor/platform/file_replacement.h"

namespace kelnor::platform {

// The file-system calls file replacement makes, behind one seam so tests can make any of
// them fail (a full disk, a failing rename) where the real file system will not.
class FileOps {
  public:
    virtual ~FileOps() = default;
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
};

FileOps& systemFileOps();

// replaceFile through `ops`.
void replaceFile(const std::filesystem::path& path, std::string_view bytes, Flush flush,
                 FileOps& ops);

}  // namespace kelnor::platform
