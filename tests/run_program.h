#pragma once

// Runs a built program with its standard streams redirected to files, for the end-to-end
// tests of kelnor-calc.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "test_files.h"

extern char** environ;

namespace kelnor::testing_support {

struct Outcome {
    int status = -1;  // exit status, -1 when the program did not exit normally
    std::string out, err;
};

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
    const std::string inPath = scratch / "stdin", outPath = scratch / "stdout",
                      errPath = scratch / "stderr";
    std::ofstream(inPath, std::ios::binary) << input.value_or("");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    Outcome o;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    o.out = slurp(outPath);
    o.err = slurp(errPath);
    for (const auto& p : {inPath, outPath, errPath}) {
        std::filesystem::remove(p);
    }
    return o;
}

}  // namespace kelnor::testing_support
