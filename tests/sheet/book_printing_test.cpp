// The calculation book printed to PDF in the background: the window's command returns at once,
// a second print is refused, a stop leaves no browser, no partial file and the old PDF, and
// closing while printing asks first. The browsers are shell scripts that take their time.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "kelnor/platform/pdf_printer.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/sheet_file.h"
#include "processes.h"
#include "recording_view.h"
#include "test_files.h"

namespace kelnor::sheet {
namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

class BookPrintingTest : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        conditions = dir / "dam.csv";
        saveSheet(conditions, firstStartRows());
        pdf = bookPathFor(conditions, FileKind::PrintedBook);
        helperPid = dir / "helper.pid";
        presenter = std::make_unique<DesignPresenter>(view, dir / "data");
        presenter->start(conditions);
    }

    void TearDown() override {
        presenter.reset();
        ::unsetenv(std::string(platform::kBrowserVariable).c_str());
        TemporaryFolderTest::TearDown();
    }

    // Prints with a browser taking `seconds`, that writes its PDF or not.
    void useBrowser(int seconds, bool writes) {
        const fs::path browser = dir / "browser.sh";
        testing_support::writeFakeBrowser(browser, helperPid, seconds, writes);
        ::setenv(std::string(platform::kBrowserVariable).c_str(), browser.c_str(), 1);
    }

    fs::path conditions;
    fs::path pdf;
    fs::path helperPid;
    RecordingView view;
    std::unique_ptr<DesignPresenter> presenter;
};

TEST_F(BookPrintingTest, PrintsWhileTheWindowGoesOnAndOpensThePdf) {
    useBrowser(1, true);
    const auto asked = std::chrono::steady_clock::now();
    presenter->perform(Command::PrintedBook, {});
    // Back at once, the browser still at work: the window's thread is free.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_TRUE(presenter->printing());
    EXPECT_TRUE(presenter->enabled(Command::CancelPrint));
    EXPECT_EQ(view.statuses.back(), "正在生成计算书 PDF“dam-计算书.pdf”……");
    EXPECT_TRUE(view.opened.empty());

    ASSERT_TRUE(view.waitForPrint());
    presenter->finishPrint();
    EXPECT_FALSE(presenter->printing());
    EXPECT_FALSE(presenter->enabled(Command::CancelPrint));
    EXPECT_EQ(slurp(pdf), "%PDF-1.4 fake");
    ASSERT_EQ(view.opened.size(), 1u);
    EXPECT_EQ(view.opened[0], pdf);
    EXPECT_EQ(view.statuses.back(), "已生成计算书 PDF“dam-计算书.pdf”。");
    EXPECT_TRUE(view.told.empty());
    // Ended well, the browser's helpers end with it.
    EXPECT_TRUE(testing_support::processGone(helperPid));
}

TEST_F(BookPrintingTest, ASecondPrintIsRefusedAndAStopLeavesTheOldPdf) {
    fs::path old = pdf;
    std::ofstream(old, std::ios::binary) << "%PDF- the old book";
    useBrowser(60, true);
    view.answers = {Answer::Replace};
    presenter->perform(Command::PrintedBook, {});
    ASSERT_TRUE(presenter->printing());

    presenter->perform(Command::PrintedBook, {});
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("正在生成"), std::string::npos) << view.told[0];
    EXPECT_EQ(view.asked.size(), 1u) << "the second print asked nothing more";

    // The helper has started before the stop, so its end shows the whole group stopped.
    for (int i = 0; i < 100 && !fs::exists(helperPid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto stopped = std::chrono::steady_clock::now();
    presenter->perform(Command::CancelPrint, {});
    ASSERT_TRUE(view.waitForPrint());
    presenter->finishPrint();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(5));
    EXPECT_FALSE(presenter->printing());
    EXPECT_TRUE(testing_support::processGone(helperPid));
    EXPECT_EQ(slurp(pdf), "%PDF- the old book");
    EXPECT_TRUE(view.opened.empty());
    EXPECT_EQ(view.told.size(), 1u) << "a stop asked for is not told in a box";
    EXPECT_EQ(view.statuses.back(), "已停止生成 PDF“dam-计算书.pdf”，原有文件保持不变。");
    // Nothing beside the conditions but the old book and the test's own browser.
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir)) {
        left.insert(utf8Path(entry.path().filename()));
    }
    EXPECT_EQ(left,
              (std::set<std::string>{"dam.csv", "dam-计算书.pdf", "browser.sh", "helper.pid"}));
}

TEST_F(BookPrintingTest, ClosingWhilePrintingAsksFirst) {
    useBrowser(60, true);
    presenter->perform(Command::PrintedBook, {});
    ASSERT_TRUE(presenter->printing());
    for (int i = 0; i < 100 && !fs::exists(helperPid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    view.answers = {Answer::Cancel};
    EXPECT_FALSE(presenter->mayClose());
    EXPECT_TRUE(presenter->printing()) << "kept printing";
    ASSERT_EQ(view.asked.size(), 1u);
    EXPECT_EQ(view.asked[0].answers, (std::vector<Answer>{Answer::Stop, Answer::Cancel}));
    EXPECT_EQ(view.asked[0].onEscape, Answer::Cancel);

    view.answers = {Answer::Stop};
    EXPECT_TRUE(presenter->mayClose());
    EXPECT_FALSE(presenter->printing());
    EXPECT_TRUE(testing_support::processGone(helperPid));
    EXPECT_FALSE(fs::exists(pdf));
}

TEST_F(BookPrintingTest, AWindowClosedMidPrintStopsTheBrowser) {
    useBrowser(60, true);
    presenter->perform(Command::PrintedBook, {});
    for (int i = 0; i < 100 && !fs::exists(helperPid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto closed = std::chrono::steady_clock::now();
    presenter.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(5));
    EXPECT_TRUE(testing_support::processGone(helperPid));
    EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace kelnor::sheet
