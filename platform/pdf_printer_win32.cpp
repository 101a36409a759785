// Printing to PDF on Windows: Microsoft Edge or Google Chrome where they install themselves,
// started with CreateProcessW inside a job object, so that stopping it, or its end, ends every
// process it started, and its profile folder can be removed.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "kelnor/platform/pdf_printer.h"
#include "kelnor/platform/standard_streams.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor::platform {

namespace {

// Where a browser installs itself: a folder named by an environment variable, and the program
// below it.
struct KnownPlace {
    const wchar_t* folderVariable;
    const wchar_t* program;
};

// Edge first, on every Windows 10 and 11; then Chrome, installed for all users or for one.
constexpr KnownPlace kPlaces[] = {
    {L"ProgramFiles(x86)", L"\\Microsoft\\Edge\\Application\\msedge.exe"},
    {L"ProgramFiles", L"\\Microsoft\\Edge\\Application\\msedge.exe"},
    {L"ProgramFiles", L"\\Google\\Chrome\\Application\\chrome.exe"},
    {L"ProgramFiles(x86)", L"\\Google\\Chrome\\Application\\chrome.exe"},
    {L"LOCALAPPDATA", L"\\Google\\Chrome\\Application\\chrome.exe"},
};

// The environment variable's value; nothing when it is not set or empty.
std::optional<std::wstring> variable(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: `length` is the size it needs
    }
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A job whose processes end when it is closed; nothing where none can be made.
HANDLE killOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

}  // namespace

std::vector<std::string> browsersLookedFor() {
    return {std::string(kBrowserVariable), "Microsoft Edge (msedge.exe)",
            "Google Chrome (chrome.exe)"};
}

std::optional<std::string> findBrowser() {
    if (const auto named = variable(widen(kBrowserVariable).c_str())) {
        return narrow(*named);
    }
    for (const KnownPlace& place : kPlaces) {
        if (const auto folder = variable(place.folderVariable)) {
            const std::wstring program = *folder + place.program;
            if (isFile(program)) {
                return narrow(program);
            }
        }
    }
    return std::nullopt;
}

void runHeadlessPrint(const std::string& browser, const std::string& url, const std::string& pdf,
                      const std::string& profileFolder, std::chrono::seconds timeout,
                      std::stop_token stop) {
    const std::wstring program = widen(browser);
    const std::vector<std::wstring> args = {
        program,
        L"--headless",
        L"--disable-gpu",
        L"--no-first-run",
        L"--no-default-browser-check",
        L"--disable-extensions",
        L"--disable-sync",
        L"--disable-background-networking",
        L"--disable-component-update",
        L"--user-data-dir=" + widen(profileFolder),
        // The page's own head and foot instead of the browser's (and the older versions' flag).
        L"--no-pdf-header-footer",
        L"--print-to-pdf-no-header",
        L"--print-to-pdf=" + widen(pdf),
        widen(url),
    };
    std::wstring commandLine;
    for (const std::wstring& arg : args) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quoteArgument(arg);
    }
    // A path is started as it is; a bare name (KELNOR_BROWSER=msedge) is looked for as the
    // first word of the command line is, on the PATH and with ".exe" added.
    const bool bareName = program.find_first_of(L"\\/:") == std::wstring::npos;

    HANDLE job = killOnCloseJob();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(bareName ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr,
                        FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        const DWORD error = GetLastError();
        if (job != nullptr) {
            CloseHandle(job);
        }
        throw PrintFailure(PrintFailureKind::CannotStart, browser, 0,
                           {static_cast<int>(error), std::system_category()});
    }
    // Into the job before it runs, so nothing it starts escapes; where the job cannot take it
    // (a job of our own parent's that forbids it), it runs without one.
    if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    // Waited for in short steps, so a stop requested meanwhile is seen at once.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    DWORD waited = WAIT_TIMEOUT;
    while (waited == WAIT_TIMEOUT && !stop.stop_requested() &&
           std::chrono::steady_clock::now() < deadline) {
        waited = WaitForSingleObject(process.hProcess, 50);
    }
    DWORD code = 0;
    const bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
    if (!ended) {
        if (job != nullptr) {
            TerminateJobObject(job, 1);
        } else {
            TerminateProcess(process.hProcess, 1);
        }
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    // Ends whatever helper the browser left running.
    if (job != nullptr) {
        CloseHandle(job);
    }
    if (!ended) {
        throw PrintFailure(
            stop.stop_requested() ? PrintFailureKind::Cancelled : PrintFailureKind::TimedOut,
            browser);
    }
    if (code != 0) {
        throw PrintFailure(PrintFailureKind::Failed, browser, static_cast<int>(code));
    }
}

}  // namespace kelnor::platform
