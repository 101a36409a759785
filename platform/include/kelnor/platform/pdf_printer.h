#pragma once

// Printing an HTML page to a PDF file through a Chromium-family browser run without a window:
// Chromium or Google Chrome on Linux, Microsoft Edge (on every Windows 10 and 11) or Google
// Chrome on Windows, or whatever program the environment variable KELNOR_BROWSER names.

#include <chrono>
#include <exception>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace kelnor::platform {

// Why a page could not be printed.
enum class PrintFailureKind {
    NoBrowser,    // none of the browsers looked for is there
    CannotStart,  // the browser could not be started: reason()
    Failed,       // the browser ended with an exit status other than 0: exitStatus()
    TimedOut,     // the browser did not end in the time allowed and was stopped
    NoPdf,        // the browser ended well but left no PDF
    Cancelled,    // the user stopped the print; the browser was stopped
};

// A page that could not be printed: what went wrong and with which browser (its path or name
// in UTF-8; empty for NoBrowser). It carries data only; each front end words it.
class PrintFailure : public std::exception {
  public:
    PrintFailure(PrintFailureKind kind, std::string browser, int exitStatus = 0,
                 std::error_code reason = {})
        : kind_(kind), browser_(std::move(browser)), exitStatus_(exitStatus), reason_(reason) {}

    PrintFailureKind kind() const noexcept { return kind_; }
    const std::string& browser() const noexcept { return browser_; }
    int exitStatus() const noexcept { return exitStatus_; }
    std::error_code reason() const noexcept { return reason_; }
    const char* what() const noexcept override { return "cannot print to PDF"; }

  private:
    PrintFailureKind kind_;
    std::string browser_;
    int exitStatus_;
    std::error_code reason_;
};

// The environment variable that names the browser to print with.
inline constexpr std::string_view kBrowserVariable = "KELNOR_BROWSER";

// What is looked for, in the order tried, as a message names it: the variable, then the
// browsers of this system ("chromium", "google-chrome", ...; "Microsoft Edge (msedge.exe)").
std::vector<std::string> browsersLookedFor();

// The browser to print with: KELNOR_BROWSER where it is set and not empty, taken as it is
// even when no such program exists, so a wrong setting is told rather than passed over; else
// the first of this system's browsers that is there. Nothing when none is.
std::optional<std::string> findBrowser();

// How long a print may take before the browser is stopped.
inline constexpr std::chrono::seconds kPrintTimeout{120};

// Runs `browser` without a window to print the page at `url` to the file `pdf`, with
// `profileFolder` as its own user data folder (a fresh one, so it runs beside the user's own
// browser, open or not, and reads nothing of the user's), its output discarded. Waits for it
// up to `timeout` and then stops it with everything it started; so too, at once, when `stop`
// is requested. Whatever it started and left running when it ended is stopped then. Paths are
// UTF-8. Raises PrintFailure (CannotStart, Failed, TimedOut, Cancelled).
void runHeadlessPrint(const std::string& browser, const std::string& url, const std::string& pdf,
                      const std::string& profileFolder, std::chrono::seconds timeout,
                      std::stop_token stop = {});

// Prints the page `html` to PDF and puts the PDF at `target` whole: the page and the
// browser's profile go to a folder of their own in the system's temporary folder, removed
// afterwards whatever happens, and the PDF replaces `target` only once complete, as
// replaceFile does, so a failure at any point leaves `target` as it was. Raises PrintFailure,
// or WriteFailure (kelnor/platform/file_replacement.h) when the temporary folder or `target`
// cannot be written. A `stop` requested while the browser runs stops it and raises
// PrintFailure (Cancelled), `target` untouched.
void printToPdf(std::string_view html, const std::filesystem::path& target,
                std::stop_token stop = {});
void printToPdf(std::string_view html, const std::string& target,
                std::stop_token stop = {}) = delete;

// The file URL of an absolute path in UTF-8 ("/tmp/a b.html", "C:\a\b.html"): separators as
// "/", every byte but letters, digits and "-._~/:" percent-encoded.
std::string fileUrl(std::string_view absolutePath);

}  // namespace kelnor::platform
