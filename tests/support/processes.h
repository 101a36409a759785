#pragma once

// Fake browsers for the print tests, and whether a process they started is gone (POSIX).

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace kelnor::testing_support {

// A shell "browser" at `path` that leaves a helper process running, notes its number in
// `helperPid`, waits `seconds` and then, where `writes`, writes a PDF where --print-to-pdf= says.
inline void writeFakeBrowser(const std::filesystem::path& path,
                             const std::filesystem::path& helperPid, int seconds, bool writes) {
    std::ofstream script(path);
    script << "#!/bin/sh\nsleep 60 &\necho $! > '" << helperPid.string() << "'\n"
           << "sleep " << seconds << "\n";
    if (writes) {
        script << "for a; do case \"$a\" in --print-to-pdf=*) "
                  "printf '%%PDF-1.4 fake' > \"${a#--print-to-pdf=}\";; esac; done\n";
    }
    script.close();
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// Whether the process whose number `pidFile` holds has ended (or only its exit status is left
// to collect), waiting up to a second for it.
inline bool processGone(const std::filesystem::path& pidFile) {
    std::ifstream in(pidFile);
    long pid = 0;
    if (!(in >> pid)) {
        return false;
    }
    for (int tries = 0; tries < 50; ++tries) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string number, name, state;
        if (!(stat >> number >> name >> state) || state == "Z") {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace kelnor::testing_support
