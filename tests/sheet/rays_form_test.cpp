// The box the rays of an equivalent fetch are typed in: its lines at their angles, the cell it
// writes, what it says as the rays are typed, and the window's command that opens it on the
// current condition.

#include "kelnor/sheet/rays_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "recording_view.h"
#include "test_files.h"

namespace kelnor::sheet {
namespace {

std::vector<std::string> lines(const LinesForm& form) {
    std::vector<std::string> out;
    for (const FormLine& l : form.lines) {
        out.push_back(l.text);
    }
    return out;
}

TEST(RaysForm, ThirteenLinesAtTheirAnglesAndACellOfSevenOnEveryOther) {
    const LinesForm empty = raysForm("");
    ASSERT_EQ(empty.lines.size(), 13u);
    EXPECT_EQ(empty.title, "等效吹程射线");
    EXPECT_EQ(empty.lines[0].caption, "-45°（km）");
    EXPECT_EQ(empty.lines[1].caption, "-37.5°（km）");
    EXPECT_EQ(empty.lines[6].caption, "0°（km）");
    EXPECT_EQ(empty.lines[12].caption, "45°（km）");
    EXPECT_EQ(lines(empty), std::vector<std::string>(13));
    // Seven rays 15° apart go to the lines at -45°, -30° … +45°.
    const LinesForm seven = raysForm("1;2;3;4;5;6;7");
    EXPECT_EQ(lines(seven), (std::vector<std::string>{"1", "", "2", "", "3", "", "4", "", "5", "",
                                                      "6", "", "7"}));
    EXPECT_EQ(raysCell(lines(seven)), "1;2;3;4;5;6;7");
    const LinesForm thirteen = raysForm("0；1;2;3;4;5;6;7;8;9;10;11;12");
    EXPECT_EQ(thirteen.lines[12].text, "12");
    EXPECT_EQ(raysCell(lines(thirteen)), "0;1;2;3;4;5;6;7;8;9;10;11;12");
}

TEST(RaysForm, TheCellWrittenAndWhatTheBoxSays) {
    const std::vector<std::string> none(13);
    std::vector<std::string> uniform(13, " 3 ");
    std::vector<std::string> coarse(13);
    for (std::size_t i = 0; i < 13; i += 2) {
        coarse[i] = "3";
    }
    std::vector<std::string> gap = uniform;
    gap[5].clear();
    std::vector<std::string> negative = uniform;
    negative[3] = "-1";
    const struct {
        const char* what;
        std::vector<std::string> texts;
        std::string cell;
        std::string says;  // a part of what the box says
    } rows[] = {
        {"none", none, "", "填 13 条射线"},
        // A shore of 3 km all round: 3 × 0.89582 and 3 × 0.88284.
        {"thirteen", uniform, "3;3;3;3;3;3;3;3;3;3;3;3;3", "= 2.687 km（13 条，间隔 7.5°）"},
        {"seven", coarse, "3;3;3;3;3;3;3", "= 2.649 km（7 条，间隔 15°）"},
        {"a line left out", gap, "3;3;3;3;3;;3;3;3;3;3;3;3", "不是数值"},
        {"a negative ray", negative, "3;3;3;-1;3;3;3;3;3;3;3;3;3", "不应小于 0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(raysCell(row.texts), row.cell) << row.what;
        const std::string says = raysSaying(row.texts);
        EXPECT_NE(says.find(row.says), std::string::npos) << row.what << ": " << says;
    }
}

class RaysCommand : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        presenter = std::make_unique<DesignPresenter>(view, dir / "data");
        presenter->start(std::nullopt);
    }

    std::optional<Place> raysOn(std::size_t condition) {
        return presenter->perform(Command::FetchRays, {Place{condition, 0}, {}});
    }

    RecordingView view;
    std::unique_ptr<DesignPresenter> presenter;
    const std::size_t fetch = *columnIndex("fetch");
    const std::size_t rays = *columnIndex("fetch_rays");
};

TEST_F(RaysCommand, TheRaysReplaceTheTypedFetchInOneStepAndTheFetchShowsFe) {
    const std::string typed = presenter->sheet().cell(1, fetch);
    ASSERT_FALSE(typed.empty());
    view.linesAnswers = {std::vector<std::string>(13, "3")};
    const std::optional<Place> at = raysOn(1);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->row, 1u);
    EXPECT_EQ(at->column, rays);
    ASSERT_EQ(view.forms.size(), 1u);
    EXPECT_EQ(view.forms[0].title, "等效吹程射线");
    EXPECT_EQ(presenter->sheet().cell(1, rays), "3;3;3;3;3;3;3;3;3;3;3;3;3");
    EXPECT_EQ(presenter->sheet().cell(1, fetch), "");
    // The condition computes from the rays, and the empty fetch shows their Fe greyed.
    const ConditionCell shown =
        conditionCell(presenter->sheet(), presenter->evaluation(), 1, fetch);
    EXPECT_TRUE(shown.isDefault);
    EXPECT_EQ(shown.text, "2.687");
    EXPECT_TRUE(presenter->evaluation().outcomes[1].result);
    // One step back restores the fetch as typed and takes the rays away.
    presenter->undo();
    EXPECT_EQ(presenter->sheet().cell(1, fetch), typed);
    EXPECT_EQ(presenter->sheet().cell(1, rays), "");
}

TEST_F(RaysCommand, TheBoxOpensWithTheRaysAndCancelledChangesNothing) {
    view.linesAnswers = {std::vector<std::string>(13, "2")};
    raysOn(0);
    view.linesAnswers = {std::nullopt};
    raysOn(0);
    ASSERT_EQ(view.forms.size(), 2u);
    EXPECT_EQ(view.forms[1].lines[4].text, "2");
    EXPECT_EQ(presenter->sheet().cell(0, rays), "2;2;2;2;2;2;2;2;2;2;2;2;2");
    EXPECT_TRUE(presenter->sheet().canUndo());
    // Emptied, the rays go and the fetch stays empty: the cell is marked as missing.
    view.linesAnswers = {std::vector<std::string>(13)};
    raysOn(0);
    EXPECT_EQ(presenter->sheet().cell(0, rays), "");
    EXPECT_EQ(presenter->evaluation().outcomes[0].failedColumn(), fetch);
}

TEST_F(RaysCommand, ItStandsInTheEditMenuOnF4) {
    const auto& edit = designMenus()[1];
    const auto entry =
        std::find_if(edit.entries.begin(), edit.entries.end(),
                     [](const MenuEntry& e) { return e.command == Command::FetchRays; });
    ASSERT_NE(entry, edit.entries.end());
    EXPECT_EQ(entry->key, Key::F4);
    EXPECT_EQ(keyText(entry->key), "F4");
}

}  // namespace
}  // namespace kelnor::sheet
