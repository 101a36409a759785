// What the design-conditions window does, through a view that records what it is asked: the
// behaviour the Qt window and the Win32 window lend their widgets to.

#include "kelnor/sheet/design_presenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kelnor/design/book.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/sheet/book_info.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"
#include "recording_view.h"
#include "run_program.h"
#include "test_files.h"
#include "title_block.h"

namespace kelnor::sheet {
namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

std::size_t col(std::string_view column) {
    return *columnIndex(column);
}

fs::path u8path(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

const std::string kTitle(kDesignTitle);
const std::string kBom = "\xEF\xBB\xBF";

class DesignPresenterTest : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        data = dir / "data";
        presenter = std::make_unique<DesignPresenter>(view, data);
    }

    // A conditions file of two conditions, saved as the program saves them.
    fs::path conditionsFile(std::string_view name) {
        const fs::path path = dir / u8path(name);
        Rows rows = firstStartRows();
        rows.resize(2);
        saveSheet(path, rows);
        return path;
    }

    // A presenter started again on the same data folder, as the program's next start.
    std::unique_ptr<DesignPresenter> restart(const std::optional<fs::path>& file) {
        auto next = std::make_unique<DesignPresenter>(view, data);
        next->start(file);
        return next;
    }

    fs::path data;
    RecordingView view;
    std::unique_ptr<DesignPresenter> presenter;
};

TEST_F(DesignPresenterTest, TitleNamesTheFileAndMarksChanges) {
    presenter->start(std::nullopt);
    EXPECT_EQ(view.title, kTitle + " - 未命名");
    presenter->setCell(0, col("wind"), "22");
    EXPECT_EQ(view.title, kTitle + " - 未命名*");
    presenter->undo();
    EXPECT_EQ(view.title, kTitle + " - 未命名");

    ASSERT_TRUE(presenter->openFile(conditionsFile("坝.csv")));
    EXPECT_EQ(view.title, kTitle + " - 坝.csv");
    EXPECT_EQ(view.title, presenter->title());
}

TEST_F(DesignPresenterTest, OpensExcelsGbkFile) {
    const fs::path file = dir / "gbk.csv";
    std::ofstream(file, std::ios::binary)
        << "depth,case,wind,fetch,slope,roughness,grade\r\n"
           "31.5,\xC9\xE8\xBC\xC6\xBA\xE9\xCB\xAE\xCE\xBB,21,3.2,3,0.8,2\r\n";  // 设计洪水位
    presenter->start(file);
    ASSERT_EQ(presenter->sheet().size(), 1u);
    EXPECT_EQ(presenter->sheet().cell(0, col("case")), "设计洪水位");
    EXPECT_TRUE(view.told.empty());
    ASSERT_TRUE(presenter->evaluation().governing);  // computed on opening
    EXPECT_FALSE(presenter->picture().empty());
}

TEST_F(DesignPresenterTest, RowsNotWholeAreToldAfterOpening) {
    const fs::path file = dir / "short.csv";
    std::ofstream(file, std::ios::binary) << "case,depth\nA,30\nB\n";
    presenter->start(file);
    EXPECT_EQ(presenter->sheet().size(), 2u);
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("第 2 行"), std::string::npos) << view.told[0];
}

TEST_F(DesignPresenterTest, FileThatCannotBeOpenedLeavesTheSheet) {
    const struct {
        const char* name;
        std::string file;
        std::string bytes;  // none: the file is missing
        std::vector<std::string> said;
    } rows[] = {
        {"missing", "none.csv", "", {"无法打开文件", "none.csv", "工况表没有改动"}},
        {"a line break in the missing file's name", "a\nb.csv", "", {"a\\nb.csv"}},
        {"unknown column, escaped",
         "x.csv",
         "case,wi\x1bnd\n甲\n",
         {"不能作为工况表", "wi\\x1bnd"}},
        {"repeated column", "r.csv", "case,case\n甲,乙\n", {"“case”出现了两次"}},
        {"a row neither UTF-8 nor GBK",
         "t.csv",
         kBom + "case,depth\nA,30\nB,\xFF\xFF\n",
         {"第 2 行既不是 UTF-8 也不是 GBK"}},
    };
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    const Rows before = presenter->sheet().rows();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = dir / u8path(row.file);
        if (!row.bytes.empty()) {
            std::ofstream(file, std::ios::binary) << row.bytes;
        }
        view.told.clear();
        view.answers = {Answer::Discard};
        view.toOpen = file;
        presenter->open();
        ASSERT_EQ(view.told.size(), 1u);
        for (const std::string& piece : row.said) {
            EXPECT_NE(view.told[0].find(piece), std::string::npos) << view.told[0];
        }
        EXPECT_EQ(presenter->sheet().rows(), before);
        EXPECT_EQ(view.title, kTitle + " - 未命名*");
    }
}

TEST_F(DesignPresenterTest, SaveWritesUtf8WithBomAndClearsTheMark) {
    const fs::path file = conditionsFile("dam.csv");
    presenter->start(file);
    presenter->setCell(1, col("case"), "校核");
    EXPECT_TRUE(presenter->save());
    EXPECT_EQ(view.title, kTitle + " - dam.csv");
    const std::string bytes = slurp(file);
    EXPECT_EQ(bytes.substr(0, 3), kBom);
    EXPECT_NE(bytes.find("校核"), std::string::npos);
    EXPECT_TRUE(view.saveBoxes.empty());
}

TEST_F(DesignPresenterTest, DeleteEmptiesTheSelectedCellsAsOneStep) {
    presenter->start(std::nullopt);  // the three usual conditions
    // The depths of the first two conditions and their mean depths.
    presenter->clearCells({0, col("depth"), 2, 2});
    EXPECT_EQ(presenter->sheet().cell(0, col("depth")), "");
    EXPECT_EQ(presenter->sheet().cell(1, col("mean_depth")), "");
    EXPECT_EQ(presenter->sheet().cell(2, col("depth")), "32.3");
    // Without a depth the two fail on that cell; the third still computes.
    const auto& outcomes = presenter->evaluation().outcomes;
    EXPECT_EQ(outcomes[0].failedColumn(), col("depth"));
    EXPECT_EQ(outcomes[1].failedColumn(), col("depth"));
    EXPECT_TRUE(outcomes[2].result.has_value());
    presenter->undo();
    EXPECT_EQ(presenter->sheet().cell(0, col("depth")), "30.0");
    EXPECT_EQ(presenter->sheet().cell(1, col("mean_depth")), "25.5");
    // A range beyond the sheet is no edit: the cleared cells can still be redone.
    presenter->clearCells({7, 0, 1, 1});
    EXPECT_TRUE(presenter->sheet().canRedo());
}

TEST_F(DesignPresenterTest, UntitledSheetIsSavedWhereTheUserChooses) {
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    EXPECT_FALSE(presenter->save());  // the box cancelled
    EXPECT_EQ(view.title, kTitle + " - 未命名*");
    view.toSave = dir / u8path("新");
    EXPECT_TRUE(presenter->save());
    EXPECT_EQ(view.title, kTitle + " - 新.csv");
    EXPECT_TRUE(fs::exists(dir / u8path("新.csv")));
}

TEST_F(DesignPresenterTest, FailedSaveKeepsTheMarkAndTells) {
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    view.toSave = dir / "no folder" / "x.csv";
    EXPECT_FALSE(presenter->save());
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("无法保存文件"), std::string::npos);
    EXPECT_NE(view.told[0].find(utf8Path(*view.toSave)), std::string::npos);
    EXPECT_EQ(view.title, kTitle + " - 未命名*");
    EXPECT_FALSE(presenter->file());
}

TEST_F(DesignPresenterTest, BookFileNameBesideTheConditions) {
    const struct {
        const char* conditions;
        const char* book;
    } rows[] = {
        {"dam.csv", "dam-计算书.html"},
        {"dam.CSV", "dam-计算书.html"},
        {"a.b.csv", "a.b-计算书.html"},
        {"dam.txt", "dam.txt-计算书.html"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bookPathFor(dir / row.conditions), dir / u8path(row.book)) << row.conditions;
    }
}

TEST_F(DesignPresenterTest, BookAsksOnlyBeforeReplacingAndOpensOnce) {
    const fs::path book = dir / u8path("坝-计算书.html");
    const struct {
        const char* name;
        bool exists;
        std::deque<Answer> answers;
        bool written;
    } rows[] = {
        {"new book", false, {}, true},
        {"replaced, Enter's answer", true, {}, true},
        {"kept", true, {Answer::Cancel}, false},
    };
    presenter->start(conditionsFile("坝.csv"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(book);
        if (row.exists) {
            std::ofstream(book) << "old";
        }
        view.asked.clear();
        view.opened.clear();
        view.answers = row.answers;
        presenter->writeBook();
        ASSERT_EQ(view.asked.size(), row.exists ? 1u : 0u);
        if (row.exists) {
            EXPECT_EQ(view.asked[0].byDefault, Answer::Replace);
        }
        EXPECT_EQ(view.opened, row.written ? std::vector<fs::path>{book} : std::vector<fs::path>{});
        EXPECT_EQ(slurp(book).find("<svg") != std::string::npos, row.written);
    }
    EXPECT_TRUE(view.told.empty());
    EXPECT_TRUE(view.saveBoxes.empty());
}

TEST_F(DesignPresenterTest, BookOfAnUntitledSheetGoesWhereTheUserChooses) {
    presenter->start(std::nullopt);
    presenter->writeBook();  // the box cancelled
    EXPECT_TRUE(view.opened.empty());
    view.toSave = dir / "book.html";
    presenter->writeBook();
    EXPECT_EQ(view.saveBoxes, (std::vector<FileKind>{FileKind::Book, FileKind::Book}));
    EXPECT_EQ(view.opened, std::vector<fs::path>{*view.toSave});
    EXPECT_TRUE(fs::exists(*view.toSave));
}

TEST_F(DesignPresenterTest, ClosingWithChangesAsks) {
    const struct {
        const char* name;
        Answer answer;
        bool closes;
    } rows[] = {
        {"取消 keeps the window", Answer::Cancel, false},
        {"不保存 closes", Answer::Discard, true},
        {"保存 saves and closes", Answer::Save, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = conditionsFile("dam.csv");
        const std::string saved = slurp(file);
        view = RecordingView();
        view.answers = {row.answer};
        presenter->start(file);
        presenter->setCell(0, col("wind"), "23");
        presenter->exit();
        ASSERT_EQ(view.asked.size(), 1u);
        EXPECT_EQ(view.asked[0].answers,
                  (std::vector<Answer>{Answer::Save, Answer::Discard, Answer::Cancel}));
        EXPECT_EQ(view.closed, row.closes);
        EXPECT_EQ(presenter->sheet().modified(), row.answer != Answer::Save);
        EXPECT_EQ(slurp(file) != saved, row.answer == Answer::Save);
    }
}

TEST_F(DesignPresenterTest, UndoTakesBackTypingAndShowsWhere) {
    presenter->start(std::nullopt);
    const std::string wind = presenter->sheet().cell(1, col("wind"));
    presenter->setCell(1, col("wind"), "2");
    presenter->setCell(1, col("wind"), "25");  // the same typing
    presenter->endTyping();
    presenter->undo();
    EXPECT_EQ(presenter->sheet().cell(1, col("wind")), wind);
    ASSERT_EQ(view.places.size(), 1u);
    EXPECT_EQ(view.places[0].row, 1u);
    EXPECT_EQ(view.places[0].column, col("wind"));
    EXPECT_EQ(presenter->evaluation().summaryZh(), evaluate(firstStartRows()).summaryZh());
    presenter->redo();
    EXPECT_EQ(presenter->sheet().cell(1, col("wind")), "25");
    EXPECT_NE(presenter->evaluation().summaryZh(), evaluate(firstStartRows()).summaryZh());
}

// The conditions by their names, in the sheet's order.
std::vector<std::string> names(const Sheet& sheet) {
    std::vector<std::string> out;
    for (const Row& row : sheet.rows()) {
        out.push_back(row[col("case")]);
    }
    return out;
}

TEST_F(DesignPresenterTest, ConditionCommandsFollowTheCurrentCell) {
    const std::string a = "正常蓄水位", b = "设计洪水位", c = "校核洪水位";
    const auto at = [](std::size_t row, std::size_t column) {
        return GridSelection{Place{row, column}, CellRange{row, column, 1, 1}};
    };
    const GridSelection spanning{Place{0, 3}, CellRange{0, 3, 2, 1}};
    struct Case {
        std::string_view what;
        Command command;
        GridSelection selection;
        std::vector<std::string> after;
        std::optional<std::size_t> currentRow;  // nothing: the current cell stays
    };
    const std::vector<Case> cases = {
        {"right", Command::MoveRight, at(0, 3), {b, a, c}, 1},
        {"right of the last", Command::MoveRight, at(2, 3), {a, b, c}, std::nullopt},
        {"left of the first", Command::MoveLeft, at(0, 3), {a, b, c}, std::nullopt},
        {"left", Command::MoveLeft, at(2, 3), {a, c, b}, 1},
        {"add after", Command::AddCondition, at(0, 3), {a, "", b, c}, 1},
        {"add without a cell", Command::AddCondition, {}, {a, b, c, ""}, 3},
        {"duplicate", Command::DuplicateCondition, at(1, 3), {a, b, b, c}, 2},
        {"remove the span", Command::RemoveConditions, spanning, {c}, 0},
        {"remove the last", Command::RemoveConditions, at(2, 3), {a, b}, 1},
    };
    for (const Case& k : cases) {
        presenter = std::make_unique<DesignPresenter>(view, data);
        presenter->start(std::nullopt);  // the first start's three conditions
        const std::optional<Place> place = presenter->perform(k.command, k.selection);
        EXPECT_EQ(names(presenter->sheet()), k.after) << k.what;
        EXPECT_EQ(place ? std::optional(place->row) : std::nullopt, k.currentRow) << k.what;
        if (place && k.selection.current) {
            EXPECT_EQ(place->column.value_or(0), k.command == Command::AddCondition ? 0u : 3u)
                << k.what;
        }
        // Each is one step of undo.
        const bool changed = names(presenter->sheet()) != std::vector<std::string>{a, b, c};
        EXPECT_EQ(presenter->enabled(Command::Undo), changed) << k.what;
    }
}

TEST_F(DesignPresenterTest, EditCommandsTakeTheSelection) {
    presenter->start(std::nullopt);
    // Copy the names of the first two conditions, paste them over the third's.
    presenter->perform(Command::Copy, {Place{0, 0}, CellRange{0, 0, 2, 1}});
    EXPECT_EQ(view.clipboard, "正常蓄水位\r\n设计洪水位\r\n");
    presenter->perform(Command::Paste, {Place{2, 0}, CellRange{2, 0, 1, 1}});
    EXPECT_EQ(names(presenter->sheet()),
              (std::vector<std::string>{"正常蓄水位", "设计洪水位", "正常蓄水位", "设计洪水位"}));
    // Without a current cell the block goes after the last condition.
    presenter->perform(Command::Paste, {});
    EXPECT_EQ(presenter->sheet().size(), 6u);
    presenter->perform(Command::Clear, {Place{0, 0}, CellRange{0, 0, 6, 1}});
    EXPECT_EQ(names(presenter->sheet()), std::vector<std::string>(6));
    presenter->perform(Command::Undo, {});
    EXPECT_EQ(names(presenter->sheet())[0], "正常蓄水位");
    EXPECT_TRUE(presenter->enabled(Command::Redo));
    // Nothing selected: nothing copied or cleared.
    view.clipboard.clear();
    presenter->perform(Command::Copy, {});
    presenter->perform(Command::Clear, {});
    EXPECT_EQ(view.clipboard, "");
    EXPECT_EQ(names(presenter->sheet())[0], "正常蓄水位");
}

TEST_F(DesignPresenterTest, HelpIsOpenedBesideTheProgramOrToldMissing) {
    DesignPresenter withHelp(view, data, dir);
    withHelp.perform(Command::Help, {});
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("帮助文件.txt"), std::string::npos) << view.told[0];
    EXPECT_TRUE(view.opened.empty());
    // A folder of that name is no help text either.
    fs::create_directory(dir / u8path("帮助文件.txt"));
    withHelp.perform(Command::Help, {});
    EXPECT_EQ(view.told.size(), 2u);
    fs::remove(dir / u8path("帮助文件.txt"));
    std::ofstream(dir / u8path("帮助文件.txt")) << "help";
    withHelp.perform(Command::Help, {});
    ASSERT_EQ(view.opened.size(), 1u);
    EXPECT_EQ(view.opened[0], dir / u8path("帮助文件.txt"));
}

TEST_F(DesignPresenterTest, BookInformationIsAskedKeptAndPrinted) {
    presenter->start(conditionsFile("坝.csv"));
    BookInfo info{"某水库 <扩建>", "初步设计", "张三", "", "", ""};
    // A date that is none is told and the box comes back with what was typed; then cancelled.
    BookInfo badDate = info;
    badDate.date = "2026-02-30";
    view.infoAnswers = {badDate, std::nullopt};
    presenter->perform(Command::BookInfo, {});
    ASSERT_EQ(view.infoShown.size(), 2u);
    EXPECT_EQ(view.infoShown[1], badDate);
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("2026-02-30"), std::string::npos) << view.told[0];
    EXPECT_EQ(presenter->bookInfo(), BookInfo{});
    EXPECT_FALSE(fs::exists(bookInfoPath(data)));

    // Blanks around a name are none of it.
    BookInfo typed = info;
    typed.project = " " + info.project + "\u3000";
    view.infoAnswers = {typed};
    presenter->perform(Command::BookInfo, {});
    EXPECT_EQ(presenter->bookInfo(), info);
    // It travels with the conditions file: the sheet is changed, as one step of undo, and
    // saved in the rows above the header.
    EXPECT_TRUE(presenter->sheet().modified());
    EXPECT_EQ(presenter->sheet().dam()[*design::damFieldIndex("project")], info.project);
    ASSERT_TRUE(presenter->save());
    EXPECT_NE(slurp(dir / u8path("坝.csv")).find("project,某水库 <扩建>,"), std::string::npos);

    // The book carries it, escaped, with today's date where none was given.
    presenter->writeBook();
    const std::string book = slurp(dir / u8path("坝-计算书.html"));
    EXPECT_NE(book.find("某水库 &lt;扩建&gt;"), std::string::npos);
    EXPECT_NE(book.find("初步设计"), std::string::npos);
    EXPECT_NE(book.find(design::today()), std::string::npos);

    // The next session starts with it, and shows it in the box.
    auto next = restart(std::nullopt);
    EXPECT_EQ(next->bookInfo(), info);
    view.infoAnswers = {std::nullopt};
    next->perform(Command::BookInfo, {});
    EXPECT_EQ(view.infoShown.back(), info);
}

#ifndef _WIN32
// A browser that fails and one that is not there (the environment names it); printing with a
// real browser is the command line's test.
TEST_F(DesignPresenterTest, PrintedBookFailureIsToldAndLeavesNoFile) {
    presenter->start(conditionsFile("坝.csv"));
    const fs::path pdf = dir / u8path("坝-计算书.pdf");
    EXPECT_EQ(bookPathFor(dir / u8path("坝.csv"), FileKind::PrintedBook), pdf);
    struct Case {
        std::string_view browser;
        std::string_view said;
    };
    for (const Case& c :
         {Case{"/bin/false", "退出码 1"}, Case{"/nonexistent/chromium", "无法启动"}}) {
        ::setenv(std::string(platform::kBrowserVariable).c_str(), std::string(c.browser).c_str(),
                 1);
        view.told.clear();
        presenter->perform(Command::PrintedBook, {});
        EXPECT_TRUE(presenter->printing());
        view.waitForPrint();
        presenter->finishPrint();
        EXPECT_FALSE(presenter->printing());
        ASSERT_EQ(view.told.size(), 1u) << c.browser;
        EXPECT_NE(view.told[0].find(c.said), std::string::npos) << view.told[0];
        EXPECT_NE(view.told[0].find(std::string(c.browser)), std::string::npos) << view.told[0];
        EXPECT_EQ(view.statuses.back(), "") << c.browser;  // the status line cleared
        EXPECT_FALSE(fs::exists(pdf)) << c.browser;
        EXPECT_TRUE(view.opened.empty());
    }
    ::unsetenv(std::string(platform::kBrowserVariable).c_str());
}
#endif

TEST_F(DesignPresenterTest, WindowsBookIsTheCommandLinesWithTheSketch) {
    // The example conditions as the user keeps them, opened in the window, with a title block.
    const fs::path conditions = dir / "example.csv";
    fs::copy_file(KELNOR_BOOK_EXAMPLE, conditions);
    presenter->start(conditions);
    view.infoAnswers = {testing_support::exampleTitleBlock()};
    presenter->perform(Command::BookInfo, {});
    presenter->perform(Command::Book, {});
    std::string window = slurp(dir / u8path("example-计算书.html"));

    const testing_support::Outcome cli = testing_support::runProgram(
        testing_support::bookCommandLine(KELNOR_CALC, conditions, dir / "cli.html"), dir);
    ASSERT_EQ(cli.status, 0) << cli.err;

    // The window's book is the command line's with the sketch's paragraph under the summary.
    const std::size_t sketch = window.find("<p class=\"keep\"><svg");
    ASSERT_NE(sketch, std::string::npos);
    const std::size_t end = window.find("</p>\n", sketch);
    ASSERT_NE(end, std::string::npos);
    window.erase(sketch, end + 5 - sketch);
    EXPECT_EQ(window, slurp(dir / "cli.html"));
}

TEST(DesignMenusTest, EveryCommandOnceWithTheUsualKeys) {
    std::map<Command, Key> seen;
    for (const Menu& m : designMenus()) {
        for (const MenuEntry& e : m.entries) {
            EXPECT_TRUE(seen.emplace(e.command, e.key).second) << e.caption;
        }
    }
    EXPECT_EQ(seen.size(), std::size_t(Command::Help) + 1);
    EXPECT_EQ(keyText(seen[Command::NewSheet]), "Ctrl+N");
    EXPECT_EQ(keyText(seen[Command::Book]), "Ctrl+B");
    EXPECT_EQ(keyText(seen[Command::Redo]), "Ctrl+Y");
    EXPECT_EQ(keyText(seen[Command::Clear]), "Del");
    EXPECT_EQ(keyText(seen[Command::Help]), "F1");
    EXPECT_EQ(seen[Command::SaveAs], Key::None);
}

TEST_F(DesignPresenterTest, CommandsOutsideTheSheetAreToldNotThrown) {
    presenter->start(std::nullopt);
    presenter->setCell(99, 0, "x");
    presenter->moveCondition(0, 99);
    // Each told once, as the unforeseen failure it is, and the sheet left as it was.
    ASSERT_EQ(view.told.size(), 2u);
    for (const std::string& told : view.told) {
        EXPECT_TRUE(told.starts_with("操作未完成：发生了意外错误（")) << told;
    }
    EXPECT_EQ(presenter->sheet().rows(), firstStartRows());
    EXPECT_FALSE(presenter->sheet().modified());
}

TEST_F(DesignPresenterTest, AutosaveIsRestoredAtTheNextStart) {
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    EXPECT_TRUE(presenter->autosaveNow());
    ASSERT_TRUE(fs::exists(autosavePath(data)));

    const auto next = restart(std::nullopt);
    EXPECT_EQ(next->sheet().cell(0, col("wind")), "22");
    EXPECT_EQ(view.title, kTitle + " - 未命名*");  // still to be saved
    EXPECT_FALSE(next->sheet().canUndo());
    EXPECT_EQ(view.statuses.back(), "已恢复“未命名”上次未保存的修改。");

    // Saved, the autosave is no longer needed: the next start shows no stale copy.
    view.toSave = dir / "saved.csv";
    EXPECT_TRUE(next->save());
    EXPECT_FALSE(fs::exists(autosavePath(data)));
}

TEST_F(DesignPresenterTest, AFileRestoredFromTheAutosaveStillBelongsToItsFile) {
    const fs::path file = conditionsFile("坝 A.csv");
    presenter->start(file);
    presenter->setCell(0, col("wind"), "22");
    ASSERT_TRUE(presenter->autosaveNow());
    // The window killed mid-edit: the next start has only the autosave to go by.
    const auto next = restart(std::nullopt);
    EXPECT_EQ(next->file(), file);
    EXPECT_EQ(view.title, kTitle + " - 坝 A.csv*");
    EXPECT_EQ(view.statuses.back(), "已恢复“坝 A.csv”上次未保存的修改。");
    // 保存 writes it back where it belongs, asking for no name.
    view.saveBoxes.clear();
    EXPECT_TRUE(next->save());
    EXPECT_TRUE(view.saveBoxes.empty());
    EXPECT_NE(slurp(file).find(",22,"), std::string::npos);
    EXPECT_FALSE(fs::exists(autosavePath(data)));
}

TEST_F(DesignPresenterTest, AFileNamedRelativeToTheFolderIsHeldByItsWholePath) {
    conditionsFile("例A.csv");
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    presenter->start(fs::path(u8"例A.csv"));
    presenter->writeBook();
    fs::current_path(before);
    EXPECT_EQ(presenter->file(), dir / u8path("例A.csv"));
    ASSERT_EQ(view.opened.size(), 1u);
    EXPECT_EQ(view.opened[0], dir / u8path("例A-计算书.html"));
    EXPECT_TRUE(view.opened[0].is_absolute());
}

TEST_F(DesignPresenterTest, FailedAutosaveIsSilentAndTriedAgain) {
    std::ofstream(data) << "a file where the folder should be";
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    EXPECT_FALSE(presenter->autosaveNow());
    EXPECT_TRUE(view.told.empty());
    fs::remove(data);
    EXPECT_TRUE(presenter->autosaveNow());
    EXPECT_TRUE(fs::exists(autosavePath(data)));
}

TEST_F(DesignPresenterTest, CommandLineFileWinsOverTheAutosave) {
    presenter->start(std::nullopt);
    presenter->setCell(0, col("wind"), "22");
    ASSERT_TRUE(presenter->autosaveNow());
    const std::string autosaved = slurp(autosavePath(data));

    const fs::path file = conditionsFile("dam.csv");
    const auto next = restart(file);
    EXPECT_EQ(next->file(), file);
    EXPECT_EQ(next->sheet().size(), 2u);
    EXPECT_TRUE(next->autosaveNow());
    EXPECT_TRUE(next->mayClose());
    EXPECT_EQ(slurp(autosavePath(data)), autosaved);  // an earlier session's, left alone
}

TEST_F(DesignPresenterTest, AddingTheEarthquakeCopiesTheCurrentConditionAndWaitsForItsSurge) {
    presenter->start(std::nullopt);
    const std::size_t surge = *columnIndex("surge");
    const std::size_t operation = *columnIndex("operation");
    // From the normal storage level (condition 0): a copy after it, its surge cell current.
    const auto place = presenter->perform(Command::AddEarthquake, {Place{0, 3}, std::nullopt});
    ASSERT_TRUE(place);
    EXPECT_EQ(place->row, 1u);
    EXPECT_EQ(place->column, surge);
    const Sheet& sheet = presenter->sheet();
    ASSERT_EQ(sheet.size(), 4u);
    EXPECT_EQ(sheet.cell(1, operation), "earthquake");
    EXPECT_EQ(sheet.cell(1, *columnIndex("case")), "正常蓄水位+地震");
    EXPECT_EQ(sheet.cell(1, *columnIndex("level")), sheet.cell(0, *columnIndex("level")));
    // Until the surge is typed the new condition fails on that cell, named.
    const Outcome& waiting = presenter->evaluation().outcomes[1];
    EXPECT_EQ(waiting.failedColumn(), surge);
    presenter->setCell(1, surge, "1.0");
    const auto& outcomes = presenter->evaluation().outcomes;
    ASSERT_TRUE(outcomes[1].result);
    EXPECT_EQ(outcomes[1].result->B, 1.0);
    // One step of undo each: the surge, then the condition.
    presenter->undo();
    presenter->undo();
    EXPECT_EQ(presenter->sheet().size(), 3u);
}

TEST_F(DesignPresenterTest, TheDamsValuesAreEditedUndoneSavedAndReopened) {
    const fs::path file = conditionsFile("坝.csv");
    presenter->start(file);
    const std::size_t wall = *design::damFieldIndex("wall");
    const std::size_t crest = *design::damFieldIndex("crest");
    presenter->setDamText(wall, "1");
    presenter->setDamText(wall, "1.2");  // more of the same typing
    presenter->endTyping();
    presenter->setDamText(crest, "abc");
    // A value that does not read is marked on its entry; nothing is settled meanwhile.
    EXPECT_EQ(presenter->evaluation().failedDamField(), crest);
    EXPECT_FALSE(presenter->evaluation().settlement.settled);
    presenter->undo();
    EXPECT_EQ(view.places.back().damField, crest);
    ASSERT_TRUE(presenter->evaluation().settlement.settled);
    EXPECT_TRUE(presenter->evaluation().settlement.settled->wallTop);
    EXPECT_NE(presenter->evaluation().summaryZh().find("防浪墙顶高程"), std::string::npos);
    ASSERT_TRUE(presenter->save());
    // The file carries the wall; the next session opens it with the wall.
    auto next = restart(file);
    EXPECT_EQ(next->sheet().dam()[wall], "1.2");
    EXPECT_FALSE(next->sheet().modified());
    presenter->undo();
    EXPECT_EQ(presenter->sheet().dam()[wall], "");
}

TEST_F(DesignPresenterTest, AFileWhoseBlockNamesAnUnknownValueIsToldAndNotOpened) {
    const fs::path bad = dir / u8path("坏.csv");
    std::ofstream(bad, std::ios::binary) << "walls,1.2\ncase,depth\na,3\n";
    presenter->start(std::nullopt);
    EXPECT_FALSE(presenter->openFile(bad));
    ASSERT_FALSE(view.told.empty());
    EXPECT_NE(view.told.back().find("walls"), std::string::npos) << view.told.back();
    EXPECT_FALSE(presenter->file());
}

TEST_F(DesignPresenterTest, AnAdoptedCrestBelowItsRequirementIsShownNotMet) {
    presenter->start(std::nullopt);
    presenter->setDamText(*design::damFieldIndex("crest"), "104.2");
    const std::vector<SettledLine> lines = settledLines(presenter->evaluation());
    const auto adopted = std::find_if(lines.begin(), lines.end(), [](const SettledLine& l) {
        return l.caption == "采用坝顶高程（m）";
    });
    ASSERT_NE(adopted, lines.end());
    EXPECT_EQ(adopted->value, "104.20");
    EXPECT_TRUE(adopted->failing);
    EXPECT_NE(presenter->evaluation().summaryZh().find("不满足"), std::string::npos);
    presenter->copyResults();
    EXPECT_NE(view.clipboard.find("采用坝顶高程（m）\t104.20\t不满足"), std::string::npos);
}

TEST_F(DesignPresenterTest, ADamThatStandsShowsItsMarginsVerdictAndRaise) {
    presenter->start(std::nullopt);
    presenter->setDamText(*design::damFieldIndex("wall"), "1.2");
    presenter->setDamText(*design::damFieldIndex("existing_wall_top"), "104");
    const auto lineOf = [this](std::string_view caption) {
        const std::vector<SettledLine> lines = settledLines(presenter->evaluation());
        const auto at = std::find_if(lines.begin(), lines.end(),
                                     [&](const SettledLine& l) { return l.caption == caption; });
        return at == lines.end() ? SettledLine{std::string(caption), "(none)", "", false} : *at;
    };
    // The wall top 0.223 m short of the design flood's 104.223 m; the crest under it 102.80.
    const SettledLine design = lineOf("设计洪水位 静水位 + y（m）");
    EXPECT_EQ(design.value, "104.223");
    EXPECT_EQ(design.note, "不足 0.223，不满足");
    EXPECT_TRUE(design.failing);
    const SettledLine normal = lineOf("正常蓄水位 静水位 + y（m）");
    EXPECT_EQ(normal.note, "富裕 1.325，满足");
    EXPECT_FALSE(normal.failing);
    EXPECT_EQ(lineOf("现状坝顶高程（m）").value, "102.80");
    EXPECT_EQ(settledTitle(presenter->evaluation()), "坝顶高程复核");
    EXPECT_EQ(lineOf("复核结论").value, "不满足");
    EXPECT_TRUE(lineOf("复核结论").failing);
    EXPECT_EQ(lineOf("防浪墙需加高（m）").value, "0.30");
    // No design is shown where none was typed, and no reserve.
    EXPECT_EQ(lineOf("采用坝顶高程（m）").value, "(none)");
    EXPECT_EQ(lineOf("竣工坝顶高程（m）").value, "(none)");
    const std::string summary = presenter->evaluation().summaryZh();
    EXPECT_NE(summary.find("复核结论：不满足"), std::string::npos) << summary;
    EXPECT_NE(summary.find("防浪墙需加高 0.30 m"), std::string::npos) << summary;
    presenter->copyResults();
    EXPECT_NE(view.clipboard.find("复核结论\t不满足\t控制工况 设计洪水位"), std::string::npos);

    // Raised by 0.3 m it meets the code, and the raise is gone.
    presenter->setDamText(*design::damFieldIndex("existing_wall_top"), "104.3");
    EXPECT_EQ(lineOf("复核结论").value, "满足");
    EXPECT_FALSE(lineOf("复核结论").failing);
    EXPECT_EQ(lineOf("防浪墙需加高（m）").value, "(none)");
}

}  // namespace
}  // namespace kelnor::sheet
