// Printing to PDF on Linux: the browser found on the PATH, started without a shell and waited
// for.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "kelnor/platform/pdf_printer.h"

extern char** environ;

namespace kelnor::platform {

namespace {

// The browsers of a Linux desktop, by the names their packages install, in the order tried.
constexpr const char* kBrowsers[] = {"chromium", "chromium-browser", "google-chrome",
                                     "google-chrome-stable"};

// The program `name` in a folder of the PATH, as the shell finds it; nothing when none is.
std::optional<std::string> onPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
    std::string_view folders(path);
    while (true) {
        const auto colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + std::string(name);
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        folders.remove_prefix(colon + 1);
    }
}

// Standard input, output and error of the browser: nothing in, its chatter discarded.
class QuietStreams {
  public:
    QuietStreams() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    }
    ~QuietStreams() { posix_spawn_file_actions_destroy(&actions_); }
    QuietStreams(const QuietStreams&) = delete;
    QuietStreams& operator=(const QuietStreams&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

std::vector<std::string> browsersLookedFor() {
    std::vector<std::string> out{std::string(kBrowserVariable)};
    out.insert(out.end(), std::begin(kBrowsers), std::end(kBrowsers));
    return out;
}

std::optional<std::string> findBrowser() {
    const char* named = std::getenv(std::string(kBrowserVariable).c_str());
    if (named != nullptr && named[0] != '\0') {
        return std::string(named);
    }
    for (const char* browser : kBrowsers) {
        if (auto found = onPath(browser)) {
            return found;
        }
    }
    return std::nullopt;
}

void runHeadlessPrint(const std::string& browser, const std::string& url, const std::string& pdf,
                      const std::string& profileFolder, std::chrono::seconds timeout,
                      std::stop_token stop) {
    std::vector<std::string> args = {
        browser,
        "--headless",
        // The page is this program's own, without script or anything from the network. The
        // sandbox guards against pages that are not, and needs what root or a container
        // often lacks.
        "--no-sandbox",
        "--disable-gpu",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-extensions",
        "--disable-sync",
        "--disable-background-networking",
        "--disable-component-update",
        "--user-data-dir=" + profileFolder,
        // The page's own head and foot instead of the browser's (and the older versions' flag).
        "--no-pdf-header-footer",
        "--print-to-pdf-no-header",
        "--print-to-pdf=" + pdf,
        url,
    };
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    const QuietStreams streams;
    // In a process group of its own, so stopping it stops every process it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    // A name without "/" is looked for on the PATH, as KELNOR_BROWSER=chromium means.
    const int error =
        posix_spawnp(&pid, browser.c_str(), streams.get(), &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw PrintFailure(PrintFailureKind::CannotStart, browser, 0,
                           {error, std::generic_category()});
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (true) {
        // Seen ended but not yet collected, so its group still has its number: whatever it
        // started and left running is stopped with it.
        siginfo_t info{};
        const int seen =
            ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if (seen == 0 && info.si_pid == pid) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        // No status to be had where the program's parent reaps its children on its own
        // (SIGCHLD ignored): then the PDF it left is the only word on how it went.
        if (seen < 0 && errno == ECHILD) {
            return;
        }
        const bool late = std::chrono::steady_clock::now() >= deadline;
        if (late || stop.stop_requested()) {
            // The browser with its helpers: the whole group.
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            throw PrintFailure(late ? PrintFailureKind::TimedOut : PrintFailureKind::Cancelled,
                               browser);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return;
    }
    // Ended by a signal: the status a shell gives, 128 + the signal.
    throw PrintFailure(PrintFailureKind::Failed, browser,
                       WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

}  // namespace kelnor::platform
