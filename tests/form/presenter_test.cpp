// What the window does, through a view that records what it is asked: the same behaviour the
// Qt window and the Win32 window lend their controls to.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "kelnor/form/messages.h"
#include "kelnor/form/presenter.h"
#include "kelnor/report.h"
#include "test_files.h"

namespace kelnor::form {
namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

const std::string kKept = "\n\n计算未完成，原有的成果文件没有改动。";

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

InputSet defaults() {
    InputSet inputs;
    std::copy(kDefaultTexts.begin(), kDefaultTexts.end(), inputs.text.begin());
    return inputs;
}

// A window that keeps the texts and the selection it is given and records, in order, what the
// presenter does with it: "tell", "focus 2", "open <file>", "close".
class RecordingView : public FormView {
  public:
    InputSet typed = defaults();
    std::set<int> selected = {0};
    std::function<void()> reading = [] {};  // runs as a box is read; may throw
    std::error_code openError;
    std::set<int> clippingSizes;  // font sizes at which Label1(1) is clipped

    std::vector<std::string> events;
    std::vector<std::string> told;
    mutable std::set<int> optionsLookedAt;
    std::vector<int> fontSizes;

    std::string boxText(int box) const override {
        reading();
        return typed.text[static_cast<std::size_t>(box)];
    }
    bool optionSelected(int option) const override {
        optionsLookedAt.insert(option);
        return selected.contains(option);
    }
    void tell(const std::string& message) override {
        events.push_back("tell");
        told.push_back(message);
    }
    void focusBox(int box) override { events.push_back("focus " + std::to_string(box)); }
    std::error_code openDocument(const fs::path& file) override {
        events.push_back("open " + utf8(file));
        return openError;
    }
    void closeWindow() override { events.push_back("close"); }
    void setFontPixelSize(int size) override { fontSizes.push_back(size); }
    std::vector<std::string> clippedCaptions() const override {
        if (clippingSizes.contains(fontSizes.back())) {
            return {"Label1(1)"};
        }
        return {};
    }
};

// The program in one folder, its report in another, as for a program the user may not write
// beside.
class Presenter : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        fs::create_directory(dir / "program");
        fs::create_directory(dir / "data");
        presenter = std::make_unique<TavoPresenter>(view, dir / "program", dir / "data");
    }

    fs::path report() const { return dir / "data" / kReportFileName; }
    fs::path help() const { return dir / "program" / u8"帮助文件.txt"; }
    void leaveLastReport() { std::ofstream(report(), std::ios::binary) << "last good report"; }

    RecordingView view;
    std::unique_ptr<TavoPresenter> presenter;
};

TEST_F(Presenter, EachButtonItsCommand) {
    std::ofstream(help()) << "help";
    std::ofstream(dir / "data" / u8"帮助文件.txt") << "not the one beside the program";
    const struct {
        const char* button;
        std::vector<std::string> events;
        bool calculated;
    } rows[] = {
        {"Command1", {}, true},
        {"Command2", {"close"}, false},
        {"Command3", {"open " + utf8(report())}, false},
        {"Command4", {"open " + utf8(help())}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        leaveLastReport();
        view.events.clear();
        EXPECT_TRUE(presenter->press(row.button));
        EXPECT_EQ(view.events, row.events);
        EXPECT_EQ(slurp(report()), row.calculated
                                       ? calculateReport(FormulaChoice::Putian, defaults())
                                       : "last good report");
    }
}

TEST_F(Presenter, NamesThatAreNoButtonDoNothing) {
    leaveLastReport();
    for (const char* name : {"", "Command5", "command1", "Command1 ", "Text1(0)", "Option1(0)"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(presenter->press(name));
    }
    EXPECT_TRUE(view.events.empty());
    EXPECT_EQ(slurp(report()), "last good report");
}

TEST_F(Presenter, FormulaFromTheFirstTwoOptionsOnly) {
    ASSERT_NE(calculateReport(FormulaChoice::Putian, defaults()),
              calculateReport(FormulaChoice::GuantingHedi, defaults()));
    const struct {
        const char* name;
        std::set<int> selected;
        FormulaChoice formula;
    } rows[] = {
        {"Putian", {0}, FormulaChoice::Putian},
        {"Andreyanov", {1}, FormulaChoice::Andreyanov},
        {"Guanting-Hedi", {2}, FormulaChoice::GuantingHedi},
        {"none selected stands for Guanting-Hedi", {}, FormulaChoice::GuantingHedi},
        {"the first option is looked at first", {0, 1}, FormulaChoice::Putian},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view.selected = row.selected;
        view.optionsLookedAt.clear();
        presenter->press("Command1");
        EXPECT_EQ(slurp(report()), calculateReport(row.formula, defaults()));
        EXPECT_FALSE(view.optionsLookedAt.contains(2));
    }
}

TEST_F(Presenter, ReadsEachBoxIntoItsInput) {
    view.typed.text = {" 12.5", "30", "6.2e0", "0.9", "1.08", "2.5", "１．５", "1.10 "};
    presenter->press("Command1");
    EXPECT_TRUE(view.events.empty());
    EXPECT_EQ(slurp(report()), calculateReport(FormulaChoice::Putian, view.typed));
}

TEST_F(Presenter, FailedCalculationNamesTheBoxAndKeepsTheReport) {
    const struct {
        const char* name;
        int box;
        std::string text;
        std::string message;
        std::vector<std::string> events;
    } rows[] = {
        {"letters in the fetch",
         2,
         "abc",
         "类型不匹配：“吹程(km)”中的“abc”不是数字。",
         {"tell", "focus 2"}},
        {"a line break in the Kz factor",
         7,
         "1\n2",
         "类型不匹配：“风速高度修正系数Kz”中的“1\\n2”不是数字。",
         {"tell", "focus 7"}},
        {"wind speed beyond a double",
         1,
         "1e400",
         "溢出：“设计风速(m/s 10米高)”中的“1e400”超出了数的范围。",
         {"tell", "focus 1"}},
        {"a depth of zero, no box at fault",
         0,
         "0",
         "除数为零：计算中出现了除以零，请检查输入的数值。",
         {"tell"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        leaveLastReport();
        view = RecordingView();
        view.typed.text[static_cast<std::size_t>(row.box)] = row.text;
        presenter->press("Command1");
        EXPECT_EQ(view.events, row.events);
        EXPECT_EQ(view.told, std::vector<std::string>{row.message + kKept});
        EXPECT_EQ(slurp(report()), "last good report");
    }
}

TEST_F(Presenter, ReportThatCannotBeWritten) {
    const fs::path gone = dir / "gone";
    presenter->setReportFolder(gone);
    presenter->press("Command1");
    EXPECT_EQ(view.events, std::vector<std::string>{"tell"});
    ASSERT_EQ(view.told.size(), 1U);
    const std::string& message = view.told[0];
    const std::string start = "报告文件无法写入：" + utf8(gone / kReportFileName) + "\n原因：";
    EXPECT_TRUE(message.starts_with(start)) << message;
    EXPECT_TRUE(message.ends_with(kKept)) << message;
    EXPECT_GT(message.size(), start.size() + kKept.size()) << "the system's reason is missing";
    EXPECT_FALSE(fs::exists(gone));
}

TEST_F(Presenter, AnythingElseThatStopsACalculationIsTold) {
    const struct {
        const char* name;
        std::function<void()> reading;
        std::string message;
    } rows[] = {
        {"memory exhausted", [] { throw std::bad_alloc(); }, "计算失败：std::bad_alloc"},
        {"no exception at all", [] { throw 42; }, "计算失败：?"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        leaveLastReport();
        view = RecordingView();
        view.reading = row.reading;
        presenter->press("Command1");
        EXPECT_EQ(view.events, std::vector<std::string>{"tell"});
        EXPECT_EQ(view.told, std::vector<std::string>{row.message + kKept});
        EXPECT_EQ(slurp(report()), "last good report");
    }
}

TEST_F(Presenter, FilesToOpenThatAreNotThere) {
    const struct {
        const char* name;
        const char* button;
        fs::path file;
        bool folder;  // a folder stands at the file's name
        std::string_view whenMissing;
    } rows[] = {
        {"results before any calculation", "Command3", report(), false, kNoReportYet},
        {"results name taken by a folder", "Command3", report(), true, kNoReportYet},
        {"help text missing", "Command4", help(), false, kNoHelpFile},
        {"help name taken by a folder", "Command4", help(), true, kNoHelpFile},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view = RecordingView();
        if (row.folder) {
            fs::create_directory(row.file);
        }
        presenter->press(row.button);
        EXPECT_EQ(view.events, std::vector<std::string>{"tell"});
        EXPECT_EQ(view.told,
                  std::vector<std::string>{std::string(row.whenMissing) + "\n" + utf8(row.file)});
        fs::remove(row.file);
    }
}

TEST_F(Presenter, ViewerThatCannotBeStarted) {
    std::ofstream(help()) << "help";
    view.openError = std::make_error_code(std::errc::permission_denied);
    presenter->press("Command4");
    EXPECT_EQ(view.events, (std::vector<std::string>{"open " + utf8(help()), "tell"}));
    ASSERT_EQ(view.told.size(), 1U);
    const std::string start = "无法打开文件：" + utf8(help()) + "\n原因：";
    EXPECT_TRUE(view.told[0].starts_with(start)) << view.told[0];
    EXPECT_GT(view.told[0].size(), start.size()) << "the system's reason is missing";
}

TEST_F(Presenter, FontFitsAtTheLargestSizeThatClipsNothing) {
    const struct {
        const char* name;
        std::set<int> clipping;
        int size;
    } rows[] = {
        {"nothing clipped", {}, 12},
        {"clipped above 10", {12, 11}, 10},
        {"a size between two that clip", {12, 10}, 11},
        {"clipped down to 9", {12, 11, 10, 9}, 8},
        {"clipped at every size: the smallest", {12, 11, 10, 9, 8}, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view = RecordingView();
        view.clippingSizes = row.clipping;
        EXPECT_EQ(presenter->fitFont(), row.size);
        ASSERT_FALSE(view.fontSizes.empty());
        EXPECT_EQ(view.fontSizes.back(), row.size);
        EXPECT_EQ(view.fontSizes.front(), kLargestPixelSize);
        EXPECT_TRUE(std::ranges::all_of(view.fontSizes, [](int size) {
            return size >= kSmallestPixelSize && size <= kLargestPixelSize;
        }));
    }
}

}  // namespace
}  // namespace kelnor::form
