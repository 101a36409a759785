#include "kelnor/sheet/book_printing.h"

#include <utility>

#include "kelnor/platform/pdf_printer.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {

BookPrinting::BookPrinting(std::function<void()> ended) : ended_(std::move(ended)) {}

BookPrinting::~BookPrinting() {
    quiet_ = true;
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

void BookPrinting::start(std::string html, std::filesystem::path target) {
    target_ = std::move(target);
    failure_ = nullptr;
    thread_ = std::jthread([this, html = std::move(html), file = target_](std::stop_token stop) {
        try {
            platform::printToPdf(html, file, stop);
        } catch (...) {
            failure_ = std::current_exception();
        }
        if (!quiet_ && ended_) {
            ended_();
        }
    });
}

void BookPrinting::cancel() {
    thread_.request_stop();
}

void BookPrinting::finish() {
    if (thread_.joinable()) {
        thread_.join();
    }
    thread_ = {};
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

}  // namespace kelnor::sheet
