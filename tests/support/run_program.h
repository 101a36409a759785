#pragma once

// Runs a built program with its standard streams redirected to files, for the end-to-end
// tests of kelnor-calc.

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "test_files.h"

#ifdef _WIN32
#include "kelnor/platform/standard_streams.h"
#include "kelnor/platform/text_encoding.h"
#else
extern char** environ;
#endif

namespace kelnor::testing_support {

struct Outcome {
    int status = -1;  // exit status, -1 when the program did not exit normally
    std::string out, err;
};

// The files in `scratch` that a program's standard streams are redirected to: standard input
// written from `input` when made, the output and error read back and all three removed by
// outcome().
struct StreamFiles {
    StreamFiles(const std::filesystem::path& scratch, const std::optional<std::string>& input)
        : in(scratch / "stdin"), out(scratch / "stdout"), err(scratch / "stderr") {
        std::ofstream(in, std::ios::binary) << input.value_or("");
    }

    Outcome outcome(int status) const {
        Outcome o{status, slurp(out), slurp(err)};
        for (const auto& p : {in, out, err}) {
            std::filesystem::remove(p);
        }
        return o;
    }

    std::filesystem::path in, out, err;
};

#ifdef _WIN32

using platform::quoteArgument;

// Runs `argv` (the program first, UTF-8 texts) in `scratch`, a folder for the stream files,
// with `input` on standard input.
inline Outcome runProgram(const std::vector<std::string>& argv,
                          const std::filesystem::path& scratch,
                          const std::optional<std::string>& input = std::nullopt) {
    std::wstring commandLine;
    for (const auto& a : argv) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quoteArgument(platform::widen(a));
    }
    const StreamFiles files(scratch, input);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const auto open = [&](const std::filesystem::path& p, DWORD access, DWORD disposition) {
        return CreateFileW(p.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(files.in, GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(files.out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(files.err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    int status = -1;
    // Under Wine on a busy machine a start now and then fails for no reason of the program's;
    // it is tried again rather than taken for the program's failure.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(platform::widen(argv[0]).c_str(), commandLine.data(), nullptr,
                                 nullptr, TRUE, 0, nullptr, nullptr, &startup, &process) != 0;
        if (!started) {
            Sleep(200);
        }
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        CloseHandle(h);
    }
    return files.outcome(status);
}

#else

// Runs `argv` (the program first) in `scratch`, a folder for the stream files, with
// `input` on standard input.
inline Outcome runProgram(const std::vector<std::string>& argv,
                          const std::filesystem::path& scratch,
                          const std::optional<std::string>& input = std::nullopt) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const StreamFiles files(scratch, input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, files.in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, files.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    int status = -1;
    // A program named without a folder is looked for on the PATH, as a shell would.
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int waited = 0;
        waitpid(pid, &waited, 0);
        status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return files.outcome(status);
}

#endif

#ifdef KELNOR_CALC
// A temporary folder to run the built kelnor-calc in, and to write its input files into.
class KelnorCalcTest : public TemporaryFolderTest {
  protected:
    // Runs kelnor-calc with `args`, standard input from `input` when given.
    Outcome run(const std::vector<std::string>& args,
                const std::optional<std::string>& input = std::nullopt) {
        std::vector<std::string> argv{KELNOR_CALC};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, dir, input);
    }

    // Writes `text` to the file `name` in the folder and returns its path.
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
};
#endif

}  // namespace kelnor::testing_support
