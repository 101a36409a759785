// Where the window puts its report.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "kelnor/form/report_folder.h"
#include "test_files.h"

namespace kelnor::form {
namespace {

namespace fs = std::filesystem;

class ReportFolder : public testing_support::TemporaryFolderTest {};

TEST_F(ReportFolder, BesideTheProgramWhereTheUserMayWrite) {
    const fs::path data = dir / "data" / "kelnor";
    EXPECT_EQ(reportFolder(dir, data), dir);
    EXPECT_FALSE(fs::exists(data));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 0);  // the probe is gone
}

TEST_F(ReportFolder, InTheUserDataFolderOtherwiseMadeWhenMissing) {
    const fs::path data = dir / "home" / ".local" / "share" / "kelnor";
    const struct {
        const char* name;
        fs::path program;
    } rows[] = {
        {"program folder missing", dir / "gone"},
        {"program folder is a file", dir / "file"},
    };
    std::ofstream(dir / "file") << "x";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(reportFolder(row.program, data), data);
        EXPECT_TRUE(fs::is_directory(data));
    }
}

// A system-wide install: the folder belongs to the administrator, the user may only read it.
// (POSIX users and permissions; Windows has no such stand-in for an ordinary user.)
#ifndef _WIN32
TEST_F(ReportFolder, ReadOnlyProgramFolderForAnOrdinaryUser) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs the administrator to stand for an ordinary user";
    }
    const fs::path program = dir / "opt";
    fs::create_directory(program);
    fs::permissions(dir, fs::perms::all);
    fs::permissions(program,
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path data = dir / "data";
    fs::create_directory(data);
    fs::permissions(data, fs::perms::all);
    const pid_t pid = fork();
    if (pid == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) {
            _exit(2);
        }
        _exit(!canWriteIn(program) && canWriteIn(data) && reportFolder(program, data) == data ? 0
                                                                                              : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
}  // namespace kelnor::form
