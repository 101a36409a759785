#include "kelnor/zip/zip.h"

// The input side of zlib's streams is const.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <utility>

#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::zip {

namespace {

// The records of the format (PKWARE's APPNOTE), their fixed parts' sizes and signatures.
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kAesEncrypted = 99;  // WinZip's AES, a method of its own
constexpr std::uint16_t kEncryptedFlag = 0x0001;
constexpr std::uint16_t kStrongEncryptionFlag = 0x0040;
constexpr std::uint16_t kUtf8Flag = 0x0800;

// Version 2.0 of the format, the first with deflate, "made by" MS-DOS: external attributes 0
// then mean an ordinary file, which every unpacker gives its usual permissions.
constexpr std::uint16_t kVersion = 20;
// 1980-01-01 00:00, the earliest MS-DOS time: (year - 1980) << 9 | month << 5 | day.
constexpr std::uint16_t kDate = (1 << 5) | 1;
constexpr std::uint16_t kTime = 0;

// All ones: in a count, size or offset they send the reader to the zip64 records, which this
// container neither writes nor reads.
constexpr std::uint64_t kMax16 = 0xFFFF;
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;

// Above this size an entry must compress no better than Limits::maxRatio.
constexpr std::uint64_t kRatioFloor = std::uint64_t{1} << 20;

// Fixed, so the same data deflate to the same bytes: zlib's fastest level (a book's XML still
// shrinks elevenfold, and the Word book is made in two thirds of the time level 6 takes) and
// default memory, raw deflate without zlib's own header, as zip stores it. The Linux and the
// Windows programs link the same zlib release (1.2.13 in Debian 12).
constexpr int kLevel = 1;
constexpr int kMemLevel = 8;
constexpr int kRawWindowBits = -15;

void put16(std::string& out, std::uint64_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint64_t v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

// Callers check that the bytes lie inside the archive first.
std::uint16_t get16(std::string_view a, std::uint64_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(a[at]) |
                                      static_cast<unsigned char>(a[at + 1]) << 8);
}

std::uint32_t get32(std::string_view a, std::uint64_t at) {
    return get16(a, at) | static_cast<std::uint32_t>(get16(a, at + 2)) << 16;
}

// Whether `size` bytes from `at` lie before `end`, without overflowing.
bool within(std::uint64_t at, std::uint64_t size, std::uint64_t end) {
    return at <= end && size <= end - at;
}

// The name as Windows and a package reader tell names apart: ASCII letters of either case and
// either slash are one.
std::string folded(std::string_view name) {
    std::string f = lowerAscii(name);
    std::replace(f.begin(), f.end(), '\\', '/');
    return f;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

std::uint32_t crcOf(std::string_view data) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// One deflate stream for the entries of an archive, reset between them: reset, it deflates
// exactly as a new one would, without allocating and clearing its tables for each entry.
class Deflater {
  public:
    Deflater() {
        if (deflateInit2(&s_, kLevel, Z_DEFLATED, kRawWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~Deflater() { deflateEnd(&s_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // The raw deflate stream of `data`, or nothing when it is not smaller than `data`:
    // deflating stops as soon as its output has grown as long as the data, so an
    // incompressible entry costs no more memory than its stored copy.
    std::optional<std::string> smaller(std::string_view data) {
        deflateReset(&s_);
        s_.next_in = reinterpret_cast<const Bytef*>(data.data());
        s_.avail_in = static_cast<uInt>(data.size());
        // Room for as many bytes as the data, not cleared first: deflate writes what is kept.
        const std::unique_ptr<Bytef[]> room(new Bytef[std::max<std::size_t>(data.size(), 1)]);
        s_.next_out = room.get();
        s_.avail_out = static_cast<uInt>(data.size());
        // With Z_FINISH and room for output, each call makes progress: the stream ends, or
        // fills the room (then it is no smaller than the data).
        int result = Z_OK;
        while (result == Z_OK && s_.avail_out > 0) {
            result = deflate(&s_, Z_FINISH);
        }
        if (result != Z_STREAM_END) {
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(room.get()), data.size() - s_.avail_out);
    }

  private:
    z_stream s_{};
};

// The data of an entry deflated into exactly `size` bytes. Inflating writes into a buffer of
// the declared size only, so a stream that would give more stops at its end: no entry takes
// more memory than its checked size, however the stream was made.
std::string inflated(std::string_view compressed, std::uint64_t size, const std::string& name) {
    z_stream s{};
    if (inflateInit2(&s, kRawWindowBits) != Z_OK) {
        throw std::bad_alloc();
    }
    std::string out(size, '\0');
    s.next_in = reinterpret_cast<const Bytef*>(compressed.data());
    s.avail_in = static_cast<uInt>(compressed.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    // One call: it ends at the stream's end, at an error, or when the input or the room for
    // output runs out.
    const int result = inflate(&s, Z_FINISH);
    const bool exact = result == Z_STREAM_END && s.avail_in == 0 && s.avail_out == 0;
    inflateEnd(&s);
    if (!exact) {
        throw ZipError(ZipErrorKind::Corrupt, name);
    }
    return out;
}

// One entry as the central directory gives it.
struct Record {
    std::string name;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localOffset = 0;
    std::uint64_t dataOffset = 0;  // found from the local header
};

// Where the end of central directory record starts. Its comment of up to 64 KiB must reach
// exactly to the end of the archive, so the bytes "PK\5\6" inside the comment or inside an
// entry (a zip stored in the package) are not taken for it.
std::uint64_t findEnd(std::string_view a) {
    bool truncated = a.starts_with("PK\3\4");
    if (a.size() >= kEndSize) {
        const std::uint64_t last = a.size() - kEndSize;
        const std::uint64_t first = last > kMax16 ? last - kMax16 : 0;
        for (std::uint64_t at = last + 1; at-- > first;) {
            if (get32(a, at) != kEndSignature) {
                continue;
            }
            const std::uint64_t commentEnd = at + kEndSize + get16(a, at + 20);
            if (commentEnd == a.size()) {
                return at;
            }
            // The archive ends inside the comment.
            truncated = truncated || commentEnd > a.size();
        }
    }
    throw ZipError(truncated ? ZipErrorKind::Truncated : ZipErrorKind::NotAZip);
}

// The central directory's records, checked against the limits and against each other before
// any data is inflated.
std::vector<Record> centralDirectory(std::string_view a, const Limits& limits) {
    const std::uint64_t end = findEnd(a);
    const std::uint16_t disk = get16(a, end + 4);
    const std::uint16_t directoryDisk = get16(a, end + 6);
    const std::uint16_t entriesOnDisk = get16(a, end + 8);
    const std::uint16_t entries = get16(a, end + 10);
    const std::uint32_t directorySize = get32(a, end + 12);
    const std::uint32_t directoryOffset = get32(a, end + 16);
    // Only a field at its largest defers to the zip64 records; where every field holds its
    // value, as Info-ZIP writes a zip from a pipe, those records only repeat them.
    const bool zip64 = entries == kMax16 || directorySize == kMax32 || directoryOffset == kMax32;
    if (zip64 || disk != 0 || directoryDisk != 0 || entriesOnDisk != entries) {
        throw ZipError(ZipErrorKind::Unsupported);
    }
    if (entries > limits.maxEntries) {
        throw ZipError(ZipErrorKind::TooLarge);
    }
    const std::uint64_t directoryEnd = std::uint64_t{directoryOffset} + directorySize;
    if (directoryEnd > end || std::uint64_t{entries} * kCentralSize > directorySize) {
        throw ZipError(ZipErrorKind::Corrupt);
    }

    std::vector<Record> records;
    records.reserve(entries);
    std::set<std::string> seen;
    std::uint64_t total = 0;
    std::uint64_t at = directoryOffset;
    for (std::uint16_t i = 0; i < entries; ++i) {
        if (!within(at, kCentralSize, directoryEnd) || get32(a, at) != kCentralSignature) {
            throw ZipError(ZipErrorKind::Corrupt);
        }
        const std::uint16_t flags = get16(a, at + 8);
        Record r;
        r.method = get16(a, at + 10);
        r.crc = get32(a, at + 16);
        r.compressedSize = get32(a, at + 20);
        r.size = get32(a, at + 24);
        const std::uint16_t nameLength = get16(a, at + 28);
        const std::uint64_t recordEnd =
            at + kCentralSize + nameLength + get16(a, at + 30) + get16(a, at + 32);
        const std::uint16_t startDisk = get16(a, at + 34);
        r.localOffset = get32(a, at + 42);
        if (recordEnd > directoryEnd) {
            throw ZipError(ZipErrorKind::Corrupt);
        }
        r.name = a.substr(at + kCentralSize, nameLength);
        at = recordEnd;

        if ((flags & (kEncryptedFlag | kStrongEncryptionFlag)) != 0 || r.method == kAesEncrypted) {
            throw ZipError(ZipErrorKind::Encrypted, r.name);
        }
        if ((r.method != kStored && r.method != kDeflated) || startDisk != 0 ||
            r.compressedSize == kMax32 || r.size == kMax32 || r.localOffset == kMax32) {
            throw ZipError(ZipErrorKind::Unsupported, r.name);
        }
        // A folder's name is checked too: a package that names a place outside itself is not
        // one to trust with the rest.
        if (!isSafeName(r.name)) {
            throw ZipError(ZipErrorKind::UnsafeName, r.name);
        }
        if (r.name.ends_with('/')) {
            continue;
        }
        if (!seen.insert(folded(r.name)).second) {
            throw ZipError(ZipErrorKind::DuplicateName, r.name);
        }
        total += r.size;
        const bool bomb = r.size > kRatioFloor &&
                          (r.compressedSize == 0 || r.size / r.compressedSize > limits.maxRatio);
        if (r.size > limits.maxEntrySize || total > limits.maxTotalSize || bomb) {
            throw ZipError(ZipErrorKind::TooLarge, r.name);
        }
        if (r.method == kStored && r.compressedSize != r.size) {
            throw ZipError(ZipErrorKind::Corrupt, r.name);
        }
        records.push_back(std::move(r));
    }
    if (at != directoryEnd) {
        throw ZipError(ZipErrorKind::Corrupt);
    }

    // Each entry's local header must agree with its record and its data lie before the central
    // directory; no two entries may share bytes, the trick by which a small archive makes a
    // great many entries out of one deflate stream.
    struct Span {
        std::uint64_t begin, end;
        const std::string* name;
    };
    std::vector<Span> spans;
    spans.reserve(records.size());
    for (Record& r : records) {
        const std::uint64_t local = r.localOffset;
        if (!within(local, kLocalSize, directoryOffset) || get32(a, local) != kLocalSignature) {
            throw ZipError(ZipErrorKind::Corrupt, r.name);
        }
        const std::uint16_t nameLength = get16(a, local + 26);
        r.dataOffset = local + kLocalSize + nameLength + get16(a, local + 28);
        if (!within(r.dataOffset, r.compressedSize, directoryOffset) ||
            get16(a, local + 8) != r.method || a.substr(local + kLocalSize, nameLength) != r.name) {
            throw ZipError(ZipErrorKind::Corrupt, r.name);
        }
        spans.push_back({local, r.dataOffset + r.compressedSize, &r.name});
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& x, const Span& y) { return x.begin < y.begin; });
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].begin < spans[i - 1].end) {
            throw ZipError(ZipErrorKind::Corrupt, *spans[i].name);
        }
    }
    return records;
}

}  // namespace

const char* ZipError::what() const noexcept {
    using enum ZipErrorKind;
    static constexpr Word<ZipErrorKind> kWhat[] = {
        {NotAZip, "not a zip archive"},
        {Truncated, "the zip archive ends early"},
        {Encrypted, "an entry of the zip archive is encrypted"},
        {Unsupported, "the zip archive uses a feature that is not supported"},
        {Corrupt, "the zip archive is damaged"},
        {UnsafeName, "an entry's name leads outside the zip archive"},
        {DuplicateName, "two entries of the zip archive have one name"},
        {TooLarge, "the zip archive is larger than allowed"},
    };
    // The texts are literals, so a view's data ends in a NUL.
    const std::string_view what = wordFor(kind_, kWhat);
    return what.empty() ? "zip archive error" : what.data();
}

bool isSafeName(std::string_view name) {
    if (name.empty() || !isUtf8(name) || name.find('\0') != std::string_view::npos ||
        name.find(':') != std::string_view::npos || name.front() == '/' || name.front() == '\\') {
        return false;
    }
    std::size_t at = 0;
    while (at <= name.size()) {
        const std::size_t end = std::min(name.find_first_of("/\\", at), name.size());
        const std::string_view folder = name.substr(at, end - at);
        if (!folder.empty() && folder != "." &&
            folder.find_first_not_of(". ") == std::string_view::npos) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

std::string write(const std::vector<Entry>& entries) {
    if (entries.size() >= kMax16) {
        throw ZipError(ZipErrorKind::TooLarge);
    }
    std::string out;
    std::string directory;
    std::set<std::string> seen;
    Deflater deflater;
    for (const Entry& e : entries) {
        if (!isSafeName(e.name)) {
            throw ZipError(ZipErrorKind::UnsafeName, e.name);
        }
        if (!seen.insert(folded(e.name)).second) {
            throw ZipError(ZipErrorKind::DuplicateName, e.name);
        }
        if (e.name.size() > kMax16 || e.data.size() >= kMax32) {
            throw ZipError(ZipErrorKind::TooLarge, e.name);
        }
        const std::optional<std::string> deflated = deflater.smaller(e.data);
        const std::string_view stored = deflated ? std::string_view(*deflated) : e.data;
        const std::uint64_t offset = out.size();
        if (offset + kLocalSize + e.name.size() + stored.size() >= kMax32) {
            throw ZipError(ZipErrorKind::TooLarge, e.name);
        }
        const std::uint16_t method = deflated ? kDeflated : kStored;
        const std::uint16_t flags = isAscii(e.name) ? 0 : kUtf8Flag;
        const std::uint32_t crc = crcOf(e.data);

        // The fields the local header and the central directory's record share, from the
        // version needed on.
        std::string common;
        put16(common, kVersion);
        put16(common, flags);
        put16(common, method);
        put16(common, kTime);
        put16(common, kDate);
        put32(common, crc);
        put32(common, stored.size());
        put32(common, e.data.size());
        put16(common, e.name.size());
        put16(common, 0);  // extra field

        put32(out, kLocalSignature);
        out += common;
        out += e.name;
        out += stored;

        put32(directory, kCentralSignature);
        put16(directory, kVersion);  // made by
        directory += common;
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += e.name;
    }
    const std::uint64_t directoryOffset = out.size();
    if (directoryOffset + directory.size() >= kMax32) {
        throw ZipError(ZipErrorKind::TooLarge);
    }
    out += directory;
    put32(out, kEndSignature);
    put16(out, 0);  // this disk
    put16(out, 0);  // the central directory's disk
    put16(out, entries.size());
    put16(out, entries.size());
    put32(out, directory.size());
    put32(out, directoryOffset);
    put16(out, 0);  // comment
    return out;
}

std::vector<Entry> read(std::string_view archive, const Limits& limits) {
    const std::vector<Record> records = centralDirectory(archive, limits);
    std::vector<Entry> entries;
    entries.reserve(records.size());
    for (const Record& r : records) {
        const std::string_view data = archive.substr(r.dataOffset, r.compressedSize);
        Entry e{r.name, r.method == kStored ? std::string(data) : inflated(data, r.size, r.name)};
        if (crcOf(e.data) != r.crc) {
            throw ZipError(ZipErrorKind::Corrupt, r.name);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace kelnor::zip
