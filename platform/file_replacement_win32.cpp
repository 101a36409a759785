// Replacing a file on Windows: file names are UTF-8 in the program and UTF-16 at the system.

#include <windows.h>

#include <atomic>
#include <string>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/text/text.h"

namespace kelnor::platform {

namespace {

[[noreturn]] void failWith(const std::string& path, DWORD error) {
    throw WriteFailure(path, std::error_code(static_cast<int>(error), std::system_category()));
}

// The reason an existing `target` must not be replaced, or none. A read-only file stays as the
// user marked it: replacing it by a rename would get round the mark. A folder in its place
// is named as one, as on Linux.
std::error_code protectionOf(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        return {ERROR_ACCESS_DENIED, std::system_category()};
    }
    return {};
}

// Writes everything, going on after a short write.
DWORD writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

}  // namespace

void replaceFile(const std::filesystem::path& path, std::string_view bytes, Flush flush) {
    // Split and named in UTF-8, as the messages show it, and opened in UTF-16.
    const std::string target = utf8Path(path);
    std::size_t cut = target.find_last_of("\\/");
    // "C:report.txt" lies in the current folder of drive C.
    if (cut == std::string::npos && target.size() >= 2 && target[1] == ':') {
        cut = 1;
    }
    const std::string folder = cut == std::string::npos ? "" : target.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? target : target.substr(cut + 1);
    const std::wstring wideTarget = widen(target);
    static std::atomic<unsigned> counter{0};

    if (const std::error_code refused = protectionOf(wideTarget)) {
        throw WriteFailure(target, refused);
    }

    // A name of our own beside the file; CREATE_NEW so nothing else is overwritten, and no
    // sharing, so nobody reads it half written.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = widen(folder + "." + name + "." + std::to_string(GetCurrentProcessId()) + "." +
                          std::to_string(counter++) + ".tmp");
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            failWith(target, GetLastError());
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        failWith(target, ERROR_FILE_EXISTS);
    }

    DWORD error = writeAll(file, bytes);
    // The bytes must be on the disk before the name points at them, or a power cut just after
    // the move can leave an empty file where the last good one was.
    if (error == ERROR_SUCCESS && flush == Flush::Now && !FlushFileBuffers(file)) {
        error = GetLastError();
    }
    if (!CloseHandle(file) && error == ERROR_SUCCESS) {
        error = GetLastError();
    }
    // Write-through: the move itself is on the disk when the call returns. A report held open
    // by another program without delete sharing (a spreadsheet showing it) fails here, and
    // the old report stays.
    const DWORD moveFlags =
        MOVEFILE_REPLACE_EXISTING | (flush == Flush::Now ? MOVEFILE_WRITE_THROUGH : 0);
    if (error == ERROR_SUCCESS && !MoveFileExW(temporary.c_str(), wideTarget.c_str(), moveFlags)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        failWith(target, error);
    }
}

void flushFolder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    // A folder is opened as one with backup semantics; write access lets the flush ask.
    HANDLE dir = CreateFileW(wide.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Without the right to open the folder for writing there is no way to ask; the files
        // themselves were written, and the system writes them out on its own.
        if (error == ERROR_ACCESS_DENIED &&
            GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return;
        }
        failWith(folder, error);
    }
    // Windows flushes a whole volume only for administrators; for a folder the call flushes
    // what it can, and a file system that cannot is no failure.
    DWORD error = FlushFileBuffers(dir) ? ERROR_SUCCESS : GetLastError();
    CloseHandle(dir);
    if (error != ERROR_SUCCESS && error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_FUNCTION &&
        error != ERROR_INVALID_PARAMETER) {
        failWith(folder, error);
    }
}

std::error_code folderProblem(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {static_cast<int>(GetLastError()), std::system_category()};
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

}  // namespace kelnor::platform
