// The zip reader on arbitrary bytes, under small limits so a run stays fast. It must return
// entries or raise a ZipError, never anything else. What it returns must be a package one can
// trust: every name safe and none twice (as the reader compares names), every entry and all of
// them within the limits. Written again, the entries must read back the same.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::require;

constexpr zip::Limits kLimits{
    .maxEntries = 64, .maxEntrySize = 1 << 20, .maxTotalSize = 4 << 20, .maxRatio = 200};

// Names as the reader tells them apart: ASCII case and either slash aside.
std::string folded(std::string_view name) {
    std::string f = lowerAscii(name);
    for (char& c : f) {
        if (c == '\\') {
            c = '/';
        }
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<zip::Entry> entries;
    try {
        entries = zip::read(input, kLimits);
    } catch (const zip::ZipError&) {
        return 0;
    }
    require(entries.size() <= kLimits.maxEntries, "no more entries than the limit");
    std::set<std::string> names;
    std::uint64_t total = 0;
    for (const zip::Entry& e : entries) {
        require(zip::isSafeName(e.name), "a safe name", asCString(e.name));
        require(!e.name.ends_with('/'), "no folder entry", asCString(e.name));
        require(names.insert(folded(e.name)).second, "each name once", asCString(e.name));
        require(e.data.size() <= kLimits.maxEntrySize, "an entry within the limit",
                asCString(e.name));
        total += e.data.size();
    }
    require(total <= kLimits.maxTotalSize, "all entries within the limit");

    std::string again;
    try {
        again = zip::write(entries);
    } catch (const zip::ZipError& e) {
        fuzz::broken("what was read can be written", asCString(e.entry()));
    }
    try {
        require(zip::read(again, kLimits) == entries, "written again, the entries read back");
    } catch (const zip::ZipError& e) {
        fuzz::broken("what was written reads back", e.what());
    }
    return 0;
}
