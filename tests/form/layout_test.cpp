// The form both windows draw: what a window relies on when it builds its controls from it.

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "kelnor/form/layout.h"
#include "kelnor/inputs.h"

namespace kelnor::form {
namespace {

TEST(FormLayout, EveryControlOnceAndInsideItsParent) {
    std::set<std::string> ids;
    const Twips window{0, 0, kClientWidth, kClientHeight};
    const Twips frame = control("Frame1").place;
    for (const Control& c : controls()) {
        SCOPED_TRACE(c.id());
        EXPECT_TRUE(ids.insert(c.id()).second) << "twice";
        EXPECT_FALSE(c.caption.empty());
        const Twips parent = c.inFrame() ? Twips{0, 0, frame.width, frame.height} : window;
        EXPECT_GT(c.place.width, 0);
        EXPECT_GT(c.place.height, 0);
        EXPECT_TRUE(c.place.left >= parent.left && c.place.top >= parent.top &&
                    c.place.right() <= parent.right() && c.place.bottom() <= parent.bottom());
    }
    // Eight labelled boxes, a frame with three options, the code's line and four commands.
    EXPECT_EQ(ids.size(), 8u * 2 + 1 + 3 + 1 + 4);
}

TEST(FormLayout, EachBoxStartsWithItsDefaultBesideItsLabel) {
    // What the user reads on opening the window, box by box.
    const struct {
        int box;
        std::string_view label;
        std::string_view text;
    } rows[] = {
        {0, "平均水深(m)：", "9.0"}, {1, "设计风速(m/s 10米高)：", "27.0"},
        {2, "吹程(km)：", "4"},      {3, "糙率及渗透系数K△:", "0.65"},
        {4, "经验系数Kw:", "1.02"},  {5, "边坡系数M:", "3"},
        {6, "安全加高(米):", "0.4"}, {7, "风速高度修正系数Kz:", "1"},
    };
    static_assert(std::size(rows) == kBoxCount);
    for (const auto& row : rows) {
        EXPECT_EQ(control("Label1", row.box).caption, row.label) << "box " << row.box;
        EXPECT_EQ(control("Text1", row.box).caption, row.text) << "box " << row.box;
        // The calculation starts from the same texts the window shows.
        EXPECT_EQ(kDefaultTexts[row.box], row.text) << "box " << row.box;
    }
}

TEST(FormLayout, TheFrameOptionsCodeLineAndCommandsReadAsTheUserKnowsThem) {
    const struct {
        std::string id;
        std::string_view caption;
    } rows[] = {
        {"Label2", "依据：《碾压式土石坝设计规范》中莆田公式"},
        {"Frame1", "风浪要素计算公式"},
        {"Option1(0)", "莆田试验站公式"},
        {"Option1(1)", "安得烈扬诺夫公式"},
        {"Option1(2)", "官厅—鹤地公式"},
        {"Command1", "计算Kelnor"},
        {"Command2", "退    出"},
        {"Command3", "查看成果"},
        {"Command4", "参数选取说明"},
    };
    for (const auto& row : rows) {
        const Control* found = nullptr;
        for (const Control& c : controls()) {
            found = c.id() == row.id ? &c : found;
        }
        ASSERT_NE(found, nullptr) << row.id;
        EXPECT_EQ(found->caption, row.caption) << row.id;
    }
    EXPECT_EQ(kWindowTitle, "土石坝Kelnor计算");
}

TEST(FormLayout, ControlsAreFoundByNameAndIndex) {
    const struct {
        const char* name;
        int index;
        const char* id;
        const char* caption;
    } rows[] = {
        {"Label1", 1, "Label1(1)", "设计风速(m/s 10米高)："},
        {"Option1", 2, "Option1(2)", "官厅—鹤地公式"},
        {"Command1", -1, "Command1", "计算Kelnor"},
        {"Command2", -1, "Command2", "退    出"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(control(row.name, row.index).id(), row.id);
        EXPECT_EQ(control(row.name, row.index).caption, row.caption);
    }
    EXPECT_THROW(control("Text1", 8), std::out_of_range);
    EXPECT_THROW(control("Command1", 0), std::out_of_range);
}

TEST(FormLayout, TabChainVisitsEveryInputAndCommandOnceInFillingOrder) {
    std::string order;
    for (const Control* c : tabChain()) {
        order += c->id() + " ";
    }
    EXPECT_EQ(order,
              "Text1(0) Text1(1) Text1(2) Command1 Command2 Text1(3) Text1(4) Command3 "
              "Text1(5) Text1(6) Option1(0) Option1(1) Option1(2) Command4 Text1(7) ");
}

TEST(FormLayout, BoxNamesAsMessagesUseThem) {
    EXPECT_EQ(boxName(0), "平均水深(m)");       // full-width colon dropped
    EXPECT_EQ(boxName(3), "糙率及渗透系数K△");  // ASCII colon dropped
    EXPECT_EQ(boxName(1), "设计风速(m/s 10米高)");
}

TEST(FormLayout, TwipsToPixels) {
    const struct {
        const char* name;
        int twips, dpi, pixels;
    } rows[] = {
        {"15 twips are a pixel at 96 dpi", 15, 96, 1},
        {"half a pixel and more rounds up", 2288, 96, 153},
        {"under half a pixel rounds down", 2287, 96, 152},
        {"the client width at 96 dpi", 6192, 96, 413},
        {"the client width at 144 dpi (150 %)", 6192, 144, 619},
        {"the client height at 192 dpi (200 %)", 3960, 192, 528},
        {"a negative offset rounds like a positive one", -7, 96, 0},
        {"and its half pixel away from zero", -8, 96, -1},
        {"no overflow at 4 × 32 767 twips and 480 dpi", 131068, 480, 43689},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(pixels(row.twips, row.dpi), row.pixels) << row.name;
    }
}

TEST(FormLayout, LevelEdgesStayLevelAtEveryResolution) {
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        for (int box = 0; box < kBoxCount; ++box) {
            const Pixels label = pixels(control("Label1", box).place, dpi);
            const Pixels text = pixels(control("Text1", box).place, dpi);
            EXPECT_EQ(label.bottom, text.bottom) << "box " << box << " at " << dpi << " dpi";
            EXPECT_EQ(text.left, pixels(control("Text1", 0).place, dpi).left);
        }
    }
}

TEST(FormLayout, ALabelsCaptionEndsWhereItsBoxBegins) {
    // The wind-speed label runs on under its box; the others end before theirs.
    const Twips room = captionRoom(control("Label1", 1));
    EXPECT_EQ(room.right(), control("Text1", 1).place.left);
    EXPECT_EQ(captionRoom(control("Label1", 0)), control("Label1", 0).place);
    EXPECT_EQ(captionRoom(control("Label2")), control("Label2").place);
}

TEST(FormLayout, MissingFileMessageNamesTheFile) {
    EXPECT_EQ(missingFileMessage("找不到参数选取说明文件。", "C:\\Kelnor\\帮助文件.txt"),
              "找不到参数选取说明文件。\nC:\\Kelnor\\帮助文件.txt");
}

TEST(FormLayout, CentringWithTheFrame) {
    const struct {
        const char* name;
        int width, height;
        Pixels area;
        Origin origin;
    } rows[] = {
        {"centred on the whole area", 429, 303, {0, 0, 1920, 1040}, {745, 368}},
        {"on a second monitor left of the first", 429, 303, {-1280, 0, 0, 1024}, {-855, 360}},
        {"below a top panel", 400, 300, {0, 40, 800, 640}, {200, 190}},
        {"larger than the area keeps its title bar on it", 900, 700, {0, 30, 800, 600}, {0, 30}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(centredOrigin(row.width, row.height, row.area), row.origin) << row.name;
    }
}

}  // namespace
}  // namespace kelnor::form
