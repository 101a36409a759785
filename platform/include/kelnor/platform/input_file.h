#pragma once

// Reading a file by its path, in blocks, whatever the system's code page: the path is converted
// to the system's form here and nowhere before.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kelnor::platform {

// Fills `buffer` with up to `size` bytes and returns how many; 0 at the end of input. A read
// error is raised as std::system_error with the system's reason.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t size)>;

// A file open for reading, closed with the object.
class InputFile {
  public:
    // Opens the file at `path`; raises std::system_error with the system's reason ("No such
    // file or directory", "Is a directory", ...).
    explicit InputFile(const std::filesystem::path& path);
    // A path held as text must become a path where it is named (pathFromUtf8), not here.
    explicit InputFile(const std::string& path) = delete;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `size` bytes; 0 at the end. Raises std::system_error.
    std::size_t read(char* buffer, std::size_t size);

    // This file as a byte source; the file must outlive it.
    ByteSource source() {
        return [this](char* buffer, std::size_t size) { return read(buffer, size); };
    }

  private:
    int fd_ = -1;
};

// The program's standard input as a byte source.
ByteSource standardInput();

// The whole file at `path`; raises std::system_error, with std::errc::file_too_large for a
// file of more than `limit` bytes, which is never held whole.
std::string readWholeFile(const std::filesystem::path& path, std::size_t limit = SIZE_MAX);
std::string readWholeFile(const std::string& path, std::size_t limit = SIZE_MAX) = delete;

}  // namespace kelnor::platform
