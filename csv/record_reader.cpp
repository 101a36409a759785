#include "kelnor/csv/record_reader.h"

#include <algorithm>
#include <utility>

namespace kelnor::csv {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

bool endsUnquotedRun(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

}  // namespace

CsvReader::CsvReader(Source source, std::size_t maxRecordBytes)
    : source_(std::move(source)), maxRecordBytes_(maxRecordBytes), buffer_(kBlockSize) {}

bool CsvReader::fill() {
    if (exhausted_) {
        return false;
    }
    pos_ = 0;
    end_ = source_(buffer_.data(), buffer_.size());
    if (end_ == 0) {
        exhausted_ = true;
        return false;
    }
    return true;
}

void CsvReader::skipByteOrderMark() {
    // The source may hand over fewer bytes than asked, so gather the first three first.
    while (end_ < 3 && !exhausted_) {
        const std::size_t n = source_(buffer_.data() + end_, buffer_.size() - end_);
        if (n == 0) {
            exhausted_ = true;
        }
        end_ += n;
    }
    if (end_ >= 3 && buffer_[0] == '\xEF' && buffer_[1] == '\xBB' && buffer_[2] == '\xBF') {
        pos_ = 3;
    }
}

bool CsvReader::next(CsvRecord& record) {
    if (!started_) {
        started_ = true;
        skipByteOrderMark();
    }
    record.cells.clear();
    record.blank = false;
    record.unterminatedQuote = false;
    record.tooLong = false;

    int c = get();
    if (c == kEnd) {
        return false;
    }
    if (c == '\n' || c == '\r') {
        if (c == '\r' && peek() == '\n') {
            ++pos_;
        }
        record.blank = true;
        record.cells.emplace_back();
        return true;
    }

    std::size_t bytes = 0;
    std::string* cell = &record.cells.emplace_back();
    // Appends bytes to the current cell unless the record has grown past the limit.
    const auto keep = [&](const char* from, std::size_t count) {
        bytes += count;
        if (bytes > maxRecordBytes_) {
            record.tooLong = true;
        } else {
            cell->append(from, count);
        }
    };

    while (true) {
        // `c` is the first character of a cell.
        if (c == '"') {
            while (true) {
                const char* begin = buffer_.data() + pos_;
                const char* stop = std::find(begin, limit(), '"');
                keep(begin, static_cast<std::size_t>(stop - begin));
                pos_ = static_cast<std::size_t>(stop - buffer_.data());
                if (pos_ == end_) {
                    if (!fill()) {
                        record.unterminatedQuote = true;
                        c = kEnd;
                        break;
                    }
                    continue;
                }
                ++pos_;  // the quote
                if (peek() == '"') {
                    ++pos_;
                    keep("\"", 1);
                    continue;
                }
                c = get();  // the closing quote ends the quoted part
                break;
            }
        }
        // The unquoted cell, or what follows a closing quote.
        while (c != kEnd && !endsUnquotedRun(static_cast<char>(c))) {
            const char ch = static_cast<char>(c);
            keep(&ch, 1);
            const char* begin = buffer_.data() + pos_;
            const char* stop = std::find_if(begin, limit(), endsUnquotedRun);
            keep(begin, static_cast<std::size_t>(stop - begin));
            pos_ = static_cast<std::size_t>(stop - buffer_.data());
            c = get();
        }
        if (c != ',') {
            break;
        }
        ++bytes;
        if (bytes > maxRecordBytes_) {
            record.tooLong = true;
        }
        if (!record.tooLong) {
            cell = &record.cells.emplace_back();
        }
        c = get();
    }
    if (c == '\r' && peek() == '\n') {
        ++pos_;
    }
    if (record.tooLong) {
        record.cells.clear();
    }
    return true;
}

CsvReader::Source sourceOf(std::string_view bytes) {
    return [bytes, at = std::size_t{0}](char* buffer, std::size_t size) mutable {
        const std::size_t n = std::min(size, bytes.size() - at);
        std::copy_n(bytes.data() + at, n, buffer);
        at += n;
        return n;
    };
}

}  // namespace kelnor::csv
