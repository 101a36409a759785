#pragma once

// The calculation book printed to PDF off the window's thread: a browser takes a second or so,
// and up to its timeout when it hangs, while the window goes on repainting and answering. One
// print at a time; a print stopped by the user stops the browser with everything it started,
// and leaves the PDF that was there as it was.

#include <atomic>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace kelnor::sheet {

class BookPrinting {
  public:
    // `ended` is called on the printing thread once a print has ended, however it ended; the
    // window then calls finish() on its own thread.
    explicit BookPrinting(std::function<void()> ended);
    // Stops a print still running and waits for it; `ended` is not called then.
    ~BookPrinting();

    BookPrinting(const BookPrinting&) = delete;
    BookPrinting& operator=(const BookPrinting&) = delete;

    // Whether a print was started and not yet finished.
    bool running() const { return thread_.joinable(); }
    // The PDF being made.
    const std::filesystem::path& target() const { return target_; }

    // Prints `html` to `target` (which must not be running()).
    void start(std::string html, std::filesystem::path target);
    // Asks the running print to stop: the browser is stopped, finish() then raises
    // platform::PrintFailure (Cancelled).
    void cancel();
    // Waits for the print to end and makes it finished: returns when the PDF was made, else
    // raises what the print raised (platform::PrintFailure, platform::WriteFailure, ...).
    void finish();

  private:
    std::function<void()> ended_;
    std::atomic<bool> quiet_{false};
    std::filesystem::path target_;
    std::exception_ptr failure_;
    std::jthread thread_;
};

}  // namespace kelnor::sheet
