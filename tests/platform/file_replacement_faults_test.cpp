// The report file when the file system fails. Whatever fails, the user is told the system's
// reason, the previous tavoout.txt stays byte for byte as it was, and no temporary file is
// left in the program folder. Real faults are made on the real file system, each in a child
// process (as the user nobody, under a file-size limit, or over a small tmpfs of its own);
// the ones the kernel will not produce on demand go through the writer's FileOps seam.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "kelnor/platform/posix_file_ops.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"
#include "test_files.h"

namespace kelnor {
namespace {

using platform::FileOps;
using platform::Flush;
using platform::replaceFile;
using platform::systemFileOps;
using platform::WriteFailure;

namespace fs = std::filesystem;

using testing_support::slurp;

void spill(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

const std::string& previousReport() {
    static const std::string bytes =
        calculateReport(FormulaChoice::Andreyanov, InputSet::defaults());
    return bytes;
}
const std::string& newReport() {
    static const std::string bytes = calculateReport(FormulaChoice::Putian, InputSet::defaults());
    return bytes;
}

// What a folder holds, in words: "no folder" or its sorted names.
std::string names(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return "no folder";
    }
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) {
        found.push_back(e.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    std::string out;
    for (const auto& name : found) {
        out += (out.empty() ? "" : " ") + name;
    }
    return out;
}

// What stands at the report's place, in words.
std::string contents(const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
        return "a folder holding " + names(p);
    }
    if (!fs::exists(p, ec)) {
        return "no report";
    }
    const std::string bytes = slurp(p);
    return bytes == previousReport() ? "the previous report"
           : bytes == newReport()    ? "the new report"
                                     : std::to_string(bytes.size()) + " other bytes";
}

// Writes the report into `folder` and says what came of it: the failure as "file: reason"
// (or "written"), what stands at the report's place, and what the folder holds.
std::string attempt(const fs::path& folder, const std::string& bytes, FileOps& ops) {
    std::string outcome = "written";
    try {
        replaceFile(reportPath(folder.string()), bytes, Flush::Now, ops);
    } catch (const WriteFailure& f) {
        outcome = f.path() + ": " + f.reason().message();
    }
    return outcome + " | " + contents(folder / kReportFileName) + " | " + names(folder);
}

// Runs `prepare` and then the write in a child process, so a dropped privilege, a resource
// limit or a mount stays there. `prepare` returns why the fault cannot be made here, or "".
std::string inChild(const std::function<std::string()>& prepare, const fs::path& folder,
                    const std::string& bytes) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return "skipped: no pipe";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        const std::string why = prepare();
        const std::string said =
            why.empty() ? attempt(folder, bytes, systemFileOps()) : "skipped: " + why;
        const bool sent =
            ::write(pipeFds[1], said.data(), said.size()) == static_cast<ssize_t>(said.size());
        _exit(sent ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string said;
    char buf[4096];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) {
        said.append(buf, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return said;
}

std::string because(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Root writes through any permission bits, so as root the write runs as nobody.
std::string becomeUnprivileged() {
    if (geteuid() != 0) {
        return "";
    }
    if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
        setresuid(65534, 65534, 65534) != 0) {
        return because("cannot drop root privileges");
    }
    return "";
}

// A small tmpfs of its own over `folder`, in a mount namespace of the child's own.
std::string mountSmallTmpfs(const fs::path& folder, const char* options) {
    if (unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return because("no mount namespace");
        }
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("kelnor-test", folder.c_str(), "tmpfs", 0, options) != 0) {
        return because("cannot mount a tmpfs");
    }
    spill(folder / kReportFileName, previousReport());
    return "";
}

class ReportFaults : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        // Others may pass through, so the write can also run as nobody.
        fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
        folder = dir / "program";
        fs::create_directory(folder);
        spill(folder / kReportFileName, previousReport());
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, ec);
        TemporaryFolderTest::TearDown();
    }

    // A failure that names the report and the system's reason for `error`.
    std::string failed(int error) const {
        return (folder / kReportFileName).string() + ": " + std::strerror(error);
    }
    // ... after which the previous report and nothing else is there.
    std::string keptPrevious(int error) const {
        return failed(error) + " | the previous report | tavoout.txt";
    }

    fs::path folder;
};

// Real faults of the file system.
TEST_F(ReportFaults, RealFileSystemFaultsKeepThePreviousReport) {
    struct Row {
        const char* name;
        std::function<std::string(const fs::path& folder)> prepare;
        int error;
        std::string bytes = newReport();
    };
    const std::vector<Row> rows = {
        {"read-only program folder",
         [](const fs::path& f) {
             fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
             std::string why = becomeUnprivileged();
             if (why.empty() && access(f.c_str(), W_OK) == 0) {
                 why = "the folder stays writable for this user";
             }
             return why;
         },
         EACCES},
        // Replacing by rename needs only the folder's permission: the report's own must
        // count too, or a protected report would be silently exchanged.
        {"read-only report in a writable folder, even for the administrator",
         [](const fs::path& f) {
             fs::permissions(f / kReportFileName, fs::perms::owner_read | fs::perms::group_read |
                                                      fs::perms::others_read);
             return std::string();
         },
         EACCES},
        {"another user's report without write permission, in a folder open to all",
         [](const fs::path& f) {
             if (geteuid() != 0) {
                 return std::string("only the administrator can stand for another user");
             }
             fs::permissions(f, fs::perms::all);
             fs::permissions(f / kReportFileName, fs::perms::owner_read | fs::perms::owner_write |
                                                      fs::perms::others_read);
             return becomeUnprivileged();
         },
         EACCES},
        {"file size limit reached part-way through the report",
         [](const fs::path&) {
             signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{256, 256};
             return setrlimit(RLIMIT_FSIZE, &limit) == 0 ? "" : because("no file size limit");
         },
         EFBIG},
        // Room for two more pages; the three-page report fills them and fails.
        {"disk full part-way through the report",
         [](const fs::path& f) { return mountSmallTmpfs(f, "size=12k,nr_inodes=8"); }, ENOSPC,
         std::string(3 * 4096, 'x')},
        {"disk full before the first byte",
         [](const fs::path& f) { return mountSmallTmpfs(f, "size=4k,nr_inodes=8"); }, ENOSPC},
        {"no inode left for the new file",
         [](const fs::path& f) { return mountSmallTmpfs(f, "size=64k,nr_inodes=2"); }, ENOSPC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        spill(folder / kReportFileName, previousReport());
        const std::string said = inChild([&] { return row.prepare(folder); }, folder, row.bytes);
        fs::permissions(folder, fs::perms::owner_all);
        fs::permissions(folder / kReportFileName, fs::perms::owner_read | fs::perms::owner_write);
        if (said.starts_with("skipped: ")) {
            std::cout << "[ SKIPPED  ] " << row.name << ": " << said.substr(9) << '\n';
            continue;
        }
        EXPECT_EQ(said, keptPrevious(row.error));
    }
}

// A replaced report keeps the permissions the user gave the previous one.
TEST_F(ReportFaults, ReplacedReportKeepsItsPermissions) {
    const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(folder / kReportFileName, shared);
    EXPECT_EQ(attempt(folder, newReport(), systemFileOps()),
              "written | the new report | tavoout.txt");
    EXPECT_EQ(fs::status(folder / kReportFileName).permissions(), shared);
}

// Nothing is created in place of a folder that is gone or is a file.
TEST_F(ReportFaults, FolderThatVanishedOrIsNoFolder) {
    fs::remove_all(folder);
    EXPECT_EQ(attempt(folder, newReport(), systemFileOps()),
              failed(ENOENT) + " | no report | no folder");
    EXPECT_EQ(names(dir), "");

    spill(folder, "a file\n");
    EXPECT_EQ(attempt(folder, newReport(), systemFileOps()),
              failed(ENOTDIR) + " | no report | no folder");
    EXPECT_EQ(slurp(folder), "a file\n");
}

TEST_F(ReportFaults, ReportNameTakenByAFolder) {
    fs::remove(folder / kReportFileName);
    fs::create_directory(folder / kReportFileName);
    EXPECT_EQ(attempt(folder, newReport(), systemFileOps()),
              failed(EISDIR) + " | a folder holding  | tavoout.txt");
    spill(folder / kReportFileName / "kept.txt", previousReport());
    EXPECT_EQ(attempt(folder, newReport(), systemFileOps()),
              failed(EISDIR) + " | a folder holding kept.txt | tavoout.txt");
    EXPECT_EQ(slurp(folder / kReportFileName / "kept.txt"), previousReport());
}

// The system's calls, with the failures a row asks for. Records the calls it sees.
class FaultyOps : public FileOps {
  public:
    struct Plan {
        int openError = 0;
        std::size_t accepted = SIZE_MAX;  // bytes written before writes fail
        int writeError = 0;               // 0: a write that makes no progress
        std::size_t chunk = SIZE_MAX;     // the most one write takes
        int interruptions = 0;            // writes interrupted by a signal first
        int closeError = 0;               // reported after the descriptor is released
        int renameError = 0;
        int fsyncError = 0;  // the file's flush to disk
    };
    explicit FaultyOps(Plan plan) : plan_(plan) {}

    int open(const char* path, int flags, mode_t mode) override {
        calls += "open ";
        if (temporary.empty()) {
            temporary = path;
        }
        return fail(plan_.openError) ? -1 : FileOps::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        calls += "write ";
        if (plan_.interruptions > 0) {
            --plan_.interruptions;
            return fail(EINTR) ? -1 : 0;
        }
        if (written_ >= plan_.accepted) {
            return fail(plan_.writeError) ? -1 : 0;
        }
        size = std::min({size, plan_.chunk, plan_.accepted - written_});
        const ssize_t n = FileOps::write(fd, data, size);
        written_ += n > 0 ? static_cast<std::size_t>(n) : 0;
        return n;
    }
    int fsync(int fd) override {
        calls += "fsync ";
        // Only the first flush is the file's; the second is the folder's.
        const bool file = !flushed_;
        flushed_ = true;
        return file && fail(plan_.fsyncError) ? -1 : FileOps::fsync(fd);
    }
    int close(int fd) override {
        calls += "close ";
        const int rc = FileOps::close(fd);
        return fail(plan_.closeError) ? -1 : rc;
    }
    int rename(const char* from, const char* to) override {
        calls += "rename ";
        return fail(plan_.renameError) ? -1 : FileOps::rename(from, to);
    }
    int unlink(const char* path) override {
        calls += "unlink ";
        return FileOps::unlink(path);
    }

    std::string calls;
    std::string temporary;

  private:
    static bool fail(int error) {
        errno = error;
        return error != 0;
    }

    Plan plan_;
    std::size_t written_ = 0;
    bool flushed_ = false;
};

// Faults the kernel will not make on demand. `calls` is the writer's conversation with the
// file system: no rename after a failed write or close, and the temporary file removed.
TEST_F(ReportFaults, FaultsThroughTheSeam) {
    const std::size_t half = newReport().size() / 2;
    struct Row {
        const char* name;
        FaultyOps::Plan plan;
        int error;  // 0: the write succeeds
        const char* calls;
    };
    // The whole report written, flushed and closed, then a fault: the file removed, not renamed.
    const auto removedOnceWritten = [](const char* name, FaultyOps::Plan plan, int error) {
        return Row{name, plan, error, "open write fsync close unlink "};
    };
    // The rename refused: the file removed after it.
    const auto renameRefused = [](const char* name, int error) {
        return Row{name, {.renameError = error}, error, "open write fsync close rename unlink "};
    };
    const std::vector<Row> rows = {
        {"disk full half-way",
         {.accepted = half, .writeError = ENOSPC},
         ENOSPC,
         "open write write close unlink "},
        {"disk full at the first byte",
         {.accepted = 0, .writeError = ENOSPC},
         ENOSPC,
         "open write close unlink "},
        removedOnceWritten("quota exceeded, shown only at close", {.closeError = EDQUOT}, EDQUOT),
        removedOnceWritten("write-back error shown at close", {.closeError = EIO}, EIO),
        renameRefused("rename refused across devices", EXDEV),
        renameRefused("rename refused on a read-only mount", EROFS),
        {"no descriptor for the new file", {.openError = EMFILE}, EMFILE, "open "},
        {"a write that makes no progress",
         {.accepted = half, .writeError = 0},
         EIO,
         "open write write close unlink "},
        removedOnceWritten("write-back error shown by the flush", {.fsyncError = EIO}, EIO),
        {"interrupted writes are retried",
         {.interruptions = 2},
         0,
         "open write write write fsync close rename open fsync close "},
        {"short writes are continued",
         {.chunk = half + 1},
         0,
         "open write write fsync close rename open fsync close "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        spill(folder / kReportFileName, previousReport());
        FaultyOps ops(row.plan);
        EXPECT_EQ(attempt(folder, newReport(), ops),
                  row.error ? keptPrevious(row.error) : "written | the new report | tavoout.txt");
        EXPECT_EQ(ops.calls, row.calls);
        // The new bytes went to a hidden file beside the report.
        EXPECT_EQ(fs::path(ops.temporary).parent_path(), folder);
        EXPECT_TRUE(fs::path(ops.temporary).filename().string().starts_with(".tavoout.txt."));
    }
}

// A temporary name already taken (a left-over of a crashed run, or another writer) is
// passed over, not overwritten.
TEST_F(ReportFaults, TakenTemporaryNameIsLeftAlone) {
    FaultyOps probe({.openError = EMFILE});
    attempt(folder, newReport(), probe);
    // The writer's names end in a counter before ".tmp": take the next few.
    const std::string name = probe.temporary.substr(0, probe.temporary.size() - 4);
    const std::string stem = name.substr(0, name.rfind('.') + 1);
    const unsigned next = std::stoul(name.substr(stem.size())) + 1;
    std::vector<fs::path> taken;
    for (unsigned i = next; i < next + 3; ++i) {
        taken.push_back(stem + std::to_string(i) + ".tmp");
        spill(taken.back(), "someone else's\n");
    }
    const std::string said = attempt(folder, newReport(), systemFileOps());
    EXPECT_TRUE(said.starts_with("written | the new report | ")) << said;
    for (const fs::path& p : taken) {
        EXPECT_EQ(slurp(p), "someone else's\n");
    }
}

}  // namespace
}  // namespace kelnor
