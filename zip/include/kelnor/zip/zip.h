#pragma once

// The zip container of a Word .docx package: writing a package byte for byte the same on every
// system, and reading one that may come from anywhere without trusting it.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelnor::zip {

// One file of the package.
struct Entry {
    std::string name;  // UTF-8, folders separated by '/', e.g. "word/document.xml"
    std::string data;

    bool operator==(const Entry&) const = default;
};

// The archive of `entries` in their order, each deflated, or stored when deflating does not make
// it smaller. The same entries give the same bytes on every system: every time stamp is
// 1980-01-01 00:00, no entry has extra fields or a comment, the archive has no comment, the
// versions "made by" and "needed" are fixed, and the UTF-8 flag (bit 11) is set exactly for
// the names that are not ASCII.
// Raises ZipError: UnsafeName for a name isSafeName refuses, DuplicateName for a name given
// twice (compared as read() does), TooLarge for what the format cannot hold without zip64
// (an entry or the archive of 4 GiB, 65535 entries, a name of 64 KiB).
std::string write(const std::vector<Entry>& entries);

// What read() accepts before it takes an archive for a zip bomb.
struct Limits {
    std::size_t maxEntries = 4096;
    std::uint64_t maxEntrySize = std::uint64_t{64} << 20;   // bytes, uncompressed
    std::uint64_t maxTotalSize = std::uint64_t{256} << 20;  // bytes, all entries uncompressed
    // Uncompressed to compressed size of one entry, for entries above 1 MiB; small entries
    // such as a run of blanks may compress further without harm.
    std::uint64_t maxRatio = 200;
};

enum class ZipErrorKind {
    NotAZip,        // no end of central directory record, and no zip signature at the start
    Truncated,      // a zip that ends early
    Encrypted,      // an entry is encrypted
    Unsupported,    // a method other than store and deflate, several disks, or zip64
    Corrupt,        // a record out of place, bad deflate data, sizes or CRC that do not match,
                    // entries that overlap
    UnsafeName,     // a name that leaves the package: absolute, a drive, a ".." folder, a NUL,
                    // or bytes that are not UTF-8
    DuplicateName,  // two entries of one name, regardless of the case of ASCII letters and of
                    // '\' for '/', as Windows and package readers take them
    TooLarge,       // more than the Limits allow: a zip bomb, or more than write() can hold
};

// An archive that cannot be read or written. It carries data only; each front end words it.
class ZipError : public std::exception {
  public:
    explicit ZipError(ZipErrorKind kind, std::string entry = {})
        : kind_(kind), entry_(std::move(entry)) {}

    ZipErrorKind kind() const noexcept { return kind_; }
    // The name of the entry at fault as the archive holds it; empty for the archive as a whole.
    const std::string& entry() const noexcept { return entry_; }
    const char* what() const noexcept override;

  private:
    ZipErrorKind kind_;
    std::string entry_;
};

// Every entry of `archive` in the central directory's order, read through the central
// directory (not the local headers), each inflated and its CRC-32 checked. Folder entries
// (names ending in '/') are left out. Raises ZipError.
//
// Whatever the input, it reads nothing outside `archive`, holds no more than `limits` allow
// (sizes are checked before inflating, and inflating stops at the first byte beyond the size
// the entry declares) and ends.
std::vector<Entry> read(std::string_view archive, const Limits& limits = {});

// Whether `name` is an entry name that stays inside the package wherever it is unpacked: not
// empty, UTF-8 (an overlong form of '.' or '/' is not), no NUL, not absolute ('/' or '\'
// first), no drive or stream (':'), and no folder of only dots and blanks other than "." (Windows
// drops a name's trailing dots and blanks, so ".. " and "..." are no safer than "..").
// '\' counts as a separator, as Windows unpackers take it.
bool isSafeName(std::string_view name);

}  // namespace kelnor::zip
