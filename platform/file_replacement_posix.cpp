#include "kelnor/platform/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "kelnor/platform/posix_file_ops.h"

namespace kelnor::platform {

int FileOps::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileOps::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileOps::fsync(int fd) {
    return ::fsync(fd);
}
int FileOps::close(int fd) {
    return ::close(fd);
}
int FileOps::rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileOps::unlink(const char* path) {
    return ::unlink(path);
}

FileOps& systemFileOps() {
    static FileOps ops;
    return ops;
}

namespace {

[[noreturn]] void failWith(const std::string& path, int error) {
    throw WriteFailure(path, std::error_code(error, std::generic_category()));
}

// Writes everything, going on after a short write or an interrupted call.
int writeAll(FileOps& ops, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ops.write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// The reason an existing file at `target` must not be replaced, or 0. A file without any
// write permission is read-only for everybody, the administrator too, as the user meant it;
// otherwise the system decides with this process's own rights.
int protectionOf(const std::string& target, mode_t& mode) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    mode = st.st_mode & 07777;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return EACCES;
    }
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return errno;
    }
    return 0;
}

std::string folderOf(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
}

}  // namespace

void replaceFile(const std::filesystem::path& target, std::string_view bytes, Flush flush) {
    replaceFile(target, bytes, flush, systemFileOps());
}

void replaceFile(const std::filesystem::path& path, std::string_view bytes, Flush flush,
                 FileOps& ops) {
    // The system's own bytes of the name, which the messages show as they are.
    const std::string& target = path.native();
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    static std::atomic<unsigned> counter{0};

    mode_t keptMode = 0;
    if (const int refused = protectionOf(target, keptMode)) {
        failWith(target, refused);
    }

    // A hidden name of our own beside the file; O_EXCL so nothing else is overwritten.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                    std::to_string(counter++) + ".tmp";
        fd = ops.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            failWith(target, errno);
        }
    }
    if (fd < 0) {
        failWith(target, EEXIST);
    }
    // The new file keeps the permissions the user gave the old one.
    if (keptMode != 0) {
        ::fchmod(fd, keptMode);
    }

    int error = writeAll(ops, fd, bytes);
    // The bytes must be on the disk before the name points at them, or a power cut just after
    // the rename can leave an empty file where the last good one was.
    if (error == 0 && flush == Flush::Now && ops.fsync(fd) != 0) {
        error = errno;
    }
    // close() can be where a full disk first shows (delayed allocation, network file
    // systems), so its result counts as much as write()'s.
    if (ops.close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ops.rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ops.unlink(temporary.c_str());
        failWith(target, error);
    }

    if (flush == Flush::Now) {
        // Makes the rename itself durable. The new file is in place whatever this gives, and
        // some file systems cannot flush a folder at all, so its result is not a failure.
        const int dir = ops.open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (dir >= 0) {
            ops.fsync(dir);
            ops.close(dir);
        }
    }
}

void flushFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        failWith(folder, errno);
    }
    // One flush of the whole file system is far cheaper than one per file for a folder of
    // many small reports, and it reports a write that was lost in any of them.
    int error = ::syncfs(dir) != 0 ? errno : 0;
    if (error == 0 && ::fsync(dir) != 0 && errno != EINVAL) {
        error = errno;
    }
    ::close(dir);
    if (error != 0) {
        failWith(folder, error);
    }
}

std::error_code folderProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {errno, std::generic_category()};
    }
    if (!S_ISDIR(st.st_mode)) {
        return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

}  // namespace kelnor::platform
