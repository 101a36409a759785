// The design window's Word book: saved where the user names it, the same bytes as the command
// line's, and the institute's template chosen, tried, kept across sessions, used and given up.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kelnor/docx/word_book.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"
#include "recording_view.h"
#include "run_program.h"
#include "test_files.h"
#include "title_block.h"

namespace kelnor::sheet {
namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

fs::path u8path(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

std::string part(const std::string& docx, std::string_view name) {
    for (const zip::Entry& e : zip::read(docx)) {
        if (e.name == name) {
            return e.data;
        }
    }
    return {};
}

class WordBookCommands : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        data = dir / "data";
        conditions = dir / "example.csv";
        fs::copy_file(KELNOR_BOOK_EXAMPLE, conditions);
        presenter = std::make_unique<DesignPresenter>(view, data);
        presenter->start(conditions);
        view.infoAnswers = {testing_support::exampleTitleBlock()};
        presenter->perform(Command::BookInfo, {});
    }

    // An institute's cover: a Word document whose text holds placeholders.
    fs::path cover(std::string_view name) {
        design::doc::Document d;
        d << design::doc::Paragraph{"工程：{{工程名称}}　专业：{{专业}}　计算：{{计算}}"};
        const fs::path path = dir / u8path(name);
        std::ofstream(path, std::ios::binary) << docx::wordBook(d, {});
        return path;
    }

    // The presenter of the program's next start on the same data folder.
    std::unique_ptr<DesignPresenter> restart() {
        auto next = std::make_unique<DesignPresenter>(view, data);
        next->start(std::nullopt);
        return next;
    }

    fs::path data;
    fs::path conditions;
    RecordingView view;
    std::unique_ptr<DesignPresenter> presenter;
};

TEST_F(WordBookCommands, SavedWhereNamedAndTheSameBytesAsTheCommandLines) {
    const fs::path book = dir / u8path("坝-计算书.docx");
    view.toSave = book;
    presenter->perform(Command::WordBook, {});
    EXPECT_EQ(view.saveBoxes, std::vector<FileKind>{FileKind::WordBook});
    EXPECT_EQ(view.opened, std::vector<fs::path>{book});
    ASSERT_TRUE(view.told.empty()) << view.told.front();

    const testing_support::Outcome cli = testing_support::runProgram(
        testing_support::bookCommandLine(KELNOR_CALC, conditions, dir / "cli.docx"), dir);
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(slurp(book), slurp(dir / "cli.docx"));
    // The sketch is in it, as in the window's HTML book.
    EXPECT_NE(part(slurp(book), "word/document.xml").find("wordprocessingGroup"),
              std::string::npos);

    // The box cancelled writes nothing.
    view.toSave.reset();
    fs::remove(book);
    presenter->perform(Command::WordBook, {});
    EXPECT_FALSE(fs::exists(book));
}

TEST_F(WordBookCommands, TheTemplateIsTriedKeptUsedAndGivenUp) {
    // A file that is no Word document is refused when chosen, and nothing is kept.
    view.toOpen = dir / "old.doc";
    std::ofstream(*view.toOpen, std::ios::binary) << std::string("\xD0\xCF\x11\xE0junk", 8);
    presenter->perform(Command::BookTemplate, {});
    EXPECT_EQ(view.openKinds, std::vector<FileKind>{FileKind::BookTemplate});
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("old.doc"), std::string::npos) << view.told[0];
    EXPECT_NE(view.told[0].find("计算书模板没有改变"), std::string::npos) << view.told[0];
    EXPECT_FALSE(presenter->bookTemplate());

    // A cover is kept, and is there at the next start.
    view.toOpen = cover("院标准封面.docx");
    presenter->perform(Command::BookTemplate, {});
    ASSERT_EQ(presenter->bookTemplate(), view.toOpen);
    EXPECT_EQ(restart()->bookTemplate(), view.toOpen);

    // The Word book follows it, its placeholders filled; the one no value fills is named.
    const fs::path book = dir / "book.docx";
    view.toSave = book;
    presenter->perform(Command::WordBook, {});
    const std::string document = part(slurp(book), "word/document.xml");
    EXPECT_NE(document.find("工程：某水库"), std::string::npos);
    EXPECT_NE(document.find("计算：张三"), std::string::npos);
    EXPECT_NE(document.find("{{专业}}"), std::string::npos);
    EXPECT_NE(document.find("坝顶高程的确定"), std::string::npos);
    ASSERT_FALSE(view.statuses.empty());
    EXPECT_NE(view.statuses.back().find("{{专业}}"), std::string::npos) << view.statuses.back();

    // Gone from the disk: told, and the old book stays.
    const std::string before = slurp(book);
    fs::remove(*presenter->bookTemplate());
    view.told.clear();
    presenter->perform(Command::WordBook, {});
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("计算书没有写出"), std::string::npos) << view.told[0];
    EXPECT_EQ(slurp(book), before);

    // Given up: asked first, then no template, also at the next start.
    view.answers = {Answer::NoTemplate};
    presenter->perform(Command::BookTemplate, {});
    ASSERT_FALSE(view.asked.empty());
    EXPECT_EQ(view.asked.back().answers,
              (std::vector<Answer>{Answer::Choose, Answer::NoTemplate, Answer::Cancel}));
    EXPECT_FALSE(presenter->bookTemplate());
    EXPECT_FALSE(restart()->bookTemplate());
}

}  // namespace
}  // namespace kelnor::sheet
