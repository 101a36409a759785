#include "kelnor/report_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "kelnor/failure.h"
#include "kelnor/report.h"

namespace kelnor {

int FileOps::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileOps::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
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

std::string reportPath(const std::string& directory) {
    std::string path = directory.empty() ? std::string(".") : directory;
    if (path.back() != '/') {
        path += '/';
    }
    return path + kReportFileName;
}

namespace {

[[noreturn]] void failWith(const std::string& path, int error) {
    throw Failure::writing(path, std::strerror(error));
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

}  // namespace

void writeReportFile(const std::string& directory, std::string_view bytes, FileOps& ops) {
    replaceFile(reportPath(directory), bytes, ops);
}

void replaceFile(const std::string& target, std::string_view bytes, FileOps& ops) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    static std::atomic<unsigned> counter{0};

    // A hidden name of our own beside the report; O_EXCL so nothing else is overwritten.
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

    int error = writeAll(ops, fd, bytes);
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
}

}  // namespace kelnor
