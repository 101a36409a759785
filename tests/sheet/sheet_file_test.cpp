// The sheet's file: saved in UTF-8 with its byte-order mark and read back to the same
// conditions, Excel's GBK opened, rows that are not whole kept or left out as said, and the
// autosave written and restored.

#include "kelnor/sheet/sheet_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/fields.h"
#include "run_program.h"
#include "test_files.h"

namespace kelnor::sheet {
namespace {

using testing_support::slurp;

std::size_t col(std::string_view name) {
    return columnIndex(name).value();
}

class SheetFileTest : public testing_support::TemporaryFolderTest {
  protected:
    std::string file(const char* name) const { return utf8Path(dir / name); }
};

TEST_F(SheetFileTest, SavedFileStartsWithTheByteOrderMarkAndTheFullHeader) {
    const std::string text = sheetCsv(firstStartRows());
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(text.substr(3, text.find("\r\n") - 3),
              "case,level,depth,mean_depth,wind,wind_max,wind_factor,fetch,angle,slope,roughness,"
              "kw,formula,grade,operation,region,frequency,allowance,extra,surge,quake_settlement,"
              "fetch_rays");
    EXPECT_NE(
        text.find("\r\n设计洪水位,101.50,31.5,25.5,21.0,,,3.2,,3,0.80,,,2,normal,mountain,,,,,,"
                  "\r\n"),
        std::string::npos);
}

TEST_F(SheetFileTest, SavedConditionsReadBackTheSame) {
    Rows rows = firstStartRows();
    rows[0][col("case")] = "正常蓄水位, \"甲\"";  // a comma and quotes
    rows[1][col("case")] = "设计洪水位\n二行";    // a line break
    rows[2][col("kw")] = " 1.05 ";                // blanks kept as typed
    rows.insert(rows.begin() + 1, emptyRow());    // an empty condition is left out
    const std::string path = file("工况.csv");
    saveSheet(pathFromUtf8(path), rows);
    const OpenedSheet opened = openSheet(pathFromUtf8(path));
    EXPECT_EQ(opened.encoding, csv::Encoding::Utf8);
    EXPECT_TRUE(opened.issues.empty());
    rows.erase(rows.begin() + 1);
    EXPECT_EQ(opened.rows, rows);
    // Computed again from the file, the same design.
    EXPECT_EQ(evaluate(opened.rows).summaryZh(), evaluate(rows).summaryZh());
}

TEST_F(SheetFileTest, ExcelsGbkFileOpensInChinese) {
    // "CSV (逗号分隔)" as Excel saves it on a Chinese Windows: GBK, columns in its own order.
    const std::string gbk =
        "depth,case,wind,fetch,slope,roughness,grade\r\n"
        "30,\xD5\xFD\xB3\xA3\xD0\xEE\xCB\xAE\xCE\xBB,21,3,3,0.8,2\r\n"       // 正常蓄水位
        "31.5,\xC9\xE8\xBC\xC6\xBA\xE9\xCB\xAE\xCE\xBB,21,3.2,3,0.8,2\r\n";  // 设计洪水位
    std::ofstream(dir / "gbk.csv", std::ios::binary) << gbk;
    const OpenedSheet opened = openSheet(pathFromUtf8(file("gbk.csv")));
    EXPECT_EQ(opened.encoding, csv::Encoding::Gbk);
    ASSERT_EQ(opened.rows.size(), 2u);
    EXPECT_EQ(opened.rows[0][col("case")], "正常蓄水位");
    EXPECT_EQ(opened.rows[1][col("case")], "设计洪水位");
    EXPECT_EQ(opened.rows[1][col("depth")], "31.5");
    EXPECT_EQ(opened.rows[1][col("level")], "");
    EXPECT_EQ(opened.rows[0].size(), columnCount());
}

TEST_F(SheetFileTest, RowsThatAreNotWholeAreToldAndKeptAsRead) {
    const std::string text = "case,depth\nA,30\nB\nC,31,extra\n\"D,32\n";
    const OpenedSheet opened = readSheet(csv::sourceOf(text));
    ASSERT_EQ(opened.rows.size(), 4u);
    EXPECT_EQ(opened.rows[1][col("case")], "B");
    EXPECT_EQ(opened.rows[2][col("depth")], "31");
    ASSERT_EQ(opened.issues.size(), 3u);
    EXPECT_EQ(opened.issues[0].row, 2);
    EXPECT_EQ(opened.issues[0].problem, csv::RowProblem::CellCount);
    EXPECT_EQ(opened.issues[2].problem, csv::RowProblem::UnclosedQuote);
    EXPECT_TRUE(opened.issues[2].kept);
}

TEST_F(SheetFileTest, AutosaveIsRestoredAndClearsTheFlag) {
    EXPECT_FALSE(restoreAutosave(dir));
    Sheet sheet(firstStartRows());
    sheet.setCell(0, col("wind"), "22");
    EXPECT_TRUE(sheet.dirtySinceAutosave());
    autosave(sheet, dir);
    EXPECT_FALSE(sheet.dirtySinceAutosave());
    EXPECT_TRUE(sheet.modified());  // an autosave is not a save
    EXPECT_EQ(autosavePath(dir), dir / "design-autosave.csv");
    EXPECT_EQ(slurp(autosavePath(dir)).substr(0, 3), "\xEF\xBB\xBF");
    const auto restored = restoreAutosave(dir);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->content.rows, sheet.rows());
    EXPECT_FALSE(restored->owner) << "a sheet never saved belongs to no file";

    // The file it belongs to comes back with it, a Chinese name intact; removed, neither stays.
    const std::filesystem::path owner = dir / std::u8string(u8"坝 A.csv");
    autosave(sheet, dir, owner);
    EXPECT_EQ(restoreAutosave(dir)->owner, owner);
    removeAutosaveOf(dir);
    EXPECT_FALSE(restoreAutosave(dir));
    EXPECT_TRUE(std::filesystem::is_empty(dir));

    // An empty sheet autosaves as its header and restores as no condition.
    Sheet empty;
    autosave(empty, dir);
    ASSERT_TRUE(restoreAutosave(dir));
    EXPECT_TRUE(restoreAutosave(dir)->content.rows.empty());
}

TEST_F(SheetFileTest, AFailedAutosaveLeavesTheFlag) {
    Sheet sheet(firstStartRows());
    sheet.setCell(0, 0, "x");
    EXPECT_THROW(autosave(sheet, dir / "no-folder"), platform::WriteFailure);
    EXPECT_TRUE(sheet.dirtySinceAutosave());
}

class SavedSheetInCalc : public testing_support::KelnorCalcTest {};

TEST_F(SavedSheetInCalc, KelnorCalcComputesTheSavedConditions) {
    // The file as the window saves it, byte-order mark and every column, is what
    // `kelnor-calc --conditions` reads: the design flood governs with the crest the README gives.
    const std::string path = utf8Path(dir / std::filesystem::path(u8"工况.csv"));
    saveSheet(pathFromUtf8(path), firstStartRows());
    const testing_support::Outcome o = run({"--conditions", path});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out.rfind("case,formula,", 0), 0u);
    EXPECT_NE(o.out.find("\n正常蓄水位,putian,"), std::string::npos);
    EXPECT_NE(o.out.find("\n设计洪水位,putian,"), std::string::npos);
    EXPECT_NE(o.out.find(",104.22284981178971,1,"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\n校核洪水位,putian,"), std::string::npos);
}

}  // namespace
}  // namespace kelnor::sheet

namespace kelnor::sheet {
namespace {

design::DamTexts damOf(std::initializer_list<std::pair<std::string_view, std::string>> given) {
    design::DamTexts dam = design::emptyDamTexts();
    for (const auto& [name, text] : given) {
        design::setDamText(dam, name, text);
    }
    return dam;
}

TEST_F(SheetFileTest, TheDamsValuesHeadTheFileAsExcelWritesThemAndReadBack) {
    const design::DamTexts dam =
        damOf({{"project", "某水库, \"一期\""}, {"wall", "1.2"}, {"settlement", "0.3%"}});
    const std::string text = sheetCsv(firstStartRows(), dam);
    // Each row as wide as the header (22 columns), an empty row, then the header.
    const std::string pad(20, ',');
    EXPECT_EQ(text.substr(0, text.find("case,")),
              "\xEF\xBB\xBFproject,\"某水库, \"\"一期\"\"\"" + pad + "\r\nwall,1.2" + pad +
                  "\r\nsettlement,0.3%" + pad + "\r\n" + std::string(21, ',') + "\r\n");
    const std::string path = file("dam.csv");
    saveSheet(pathFromUtf8(path), firstStartRows(), dam);
    const OpenedSheet opened = openSheet(pathFromUtf8(path));
    EXPECT_EQ(opened.dam, dam);
    EXPECT_TRUE(opened.hasTitleBlock);
    EXPECT_EQ(opened.rows.size(), 3u);
    // Without a value of the dam the file is that of earlier versions: the header first.
    EXPECT_EQ(sheetCsv(firstStartRows()).substr(3, 5), "case,");
    EXPECT_FALSE(readSheet(csv::sourceOf(sheetCsv(firstStartRows()))).hasTitleBlock);
}

TEST_F(SheetFileTest, ABlockRowNamingNoValueOfTheDamFailsTheOpen) {
    for (const char* text : {"walls,1.2\ncase,depth\na,3\n", "wall,1\nwall,2\ncase,depth\na,3\n"}) {
        EXPECT_THROW(readSheet(csv::sourceOf(text)), design::DamError) << text;
    }
    // Chinese captions, as typed in Excel by hand, with or without the unit.
    const OpenedSheet opened =
        readSheet(csv::sourceOf("防浪墙高度（m）,1.0\n工程名称,某水库\n\ncase,depth\na,3\n"));
    EXPECT_EQ(design::damText(opened.dam, "wall"), "1.0");
    EXPECT_EQ(design::damText(opened.dam, "project"), "某水库");
}

TEST_F(SavedSheetInCalc, KelnorCalcSettlesTheCrestOfTheBlockTheWindowWrote) {
    const std::string path = utf8Path(dir / std::filesystem::path(u8"坝.csv"));
    saveSheet(pathFromUtf8(path), firstStartRows(), damOf({{"wall", "1.2"}, {"crest", "102.5"}}));
    const std::string settled = utf8Path(dir / "settled.csv");
    const testing_support::Outcome o = run({"--conditions", path, "--settled", settled});
    // The adopted crest typed is below the wall top less the wall, 104.3 - 1.2 = 103.1.
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelnor-calc: adopted crest 102.5 is below the required 103.1\n");
    EXPECT_NE(slurp(dir / "settled.csv").find("\ncrest,102.5,103.1,0,"), std::string::npos);
}

}  // namespace
}  // namespace kelnor::sheet
