// kelnor-calc --book FILE.docx end to end, read by programs no one here wrote: LibreOffice
// converts the Word book to PDF (pages, the key figures in order, the page foot counted, the
// sketch's texts), pandoc reads every table cell, python-docx reads the tables cell by cell and
// they equal the HTML book's; an institute's template made with LibreOffice is filled; the
// template's refusals write nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;
using testing_support::slurp;

using Tables = std::vector<std::vector<std::vector<std::string>>>;

std::string unescape(std::string s) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, text] : kEntities) {
        for (std::size_t at = s.find(entity); at != std::string::npos;
             at = s.find(entity, at + 1)) {
            s.replace(at, std::string_view(entity).size(), text);
        }
    }
    return s;
}

// The HTML book's tables: each cell's text without its tags, a cell spanning columns repeated
// in each, as a Word table's grid gives it.
Tables htmlTables(const std::string& html) {
    Tables tables;
    const std::regex table("<table[^>]*>([\\s\\S]*?)</table>");
    const std::regex row("<tr[^>]*>([\\s\\S]*?)</tr>");
    const std::regex cell("<t[hd]( colspan=\"(\\d+)\")?[^>]*>([\\s\\S]*?)</t[hd]>");
    const std::regex tag("<[^>]*>");
    for (std::sregex_iterator t(html.begin(), html.end(), table), end; t != end; ++t) {
        auto& rows = tables.emplace_back();
        const std::string body = (*t)[1];
        for (std::sregex_iterator r(body.begin(), body.end(), row); r != end; ++r) {
            auto& cells = rows.emplace_back();
            const std::string cellsText = (*r)[1];
            for (std::sregex_iterator c(cellsText.begin(), cellsText.end(), cell); c != end; ++c) {
                const int span = (*c)[2].matched ? std::stoi((*c)[2]) : 1;
                const std::string text =
                    unescape(std::regex_replace(std::string((*c)[3]), tag, ""));
                cells.insert(cells.end(), span, text);
            }
        }
    }
    return tables;
}

// The same through python-docx: one line per row, cells separated by a tab, a blank line
// after each table.
Tables docxTables(const std::string& listing) {
    Tables tables(1);
    std::istringstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            tables.emplace_back();
            continue;
        }
        auto& cells = tables.back().emplace_back();
        std::size_t from = 0;
        for (std::size_t tab = line.find('\t');; tab = line.find('\t', from)) {
            cells.push_back(line.substr(from, tab - from));
            if (tab == std::string::npos) {
                break;
            }
            from = tab + 1;
        }
    }
    while (!tables.empty() && tables.back().empty()) {
        tables.pop_back();
    }
    return tables;
}

class WordBook : public testing_support::KelnorCalcTest {
  protected:
    // Runs a program of the system in the test's folder; its standard output.
    Outcome tool(const std::vector<std::string>& argv) {
        return testing_support::runProgram(argv, dir);
    }

    // The document converted to PDF by LibreOffice with a profile of the test's own.
    fs::path toPdf(const fs::path& document) {
        const Outcome o =
            tool({"soffice", "-env:UserInstallation=file://" + (dir / "lo").string(), "--headless",
                  "--convert-to", "pdf", "--outdir", (dir / "pdf").string(), document.string()});
        EXPECT_EQ(o.status, 0) << o.err;
        return dir / "pdf" / (document.stem().string() + ".pdf");
    }

    std::string pdfText(const fs::path& pdf) { return tool({"pdftotext", pdf.string(), "-"}).out; }

    int pages(const fs::path& pdf) {
        const std::string info = tool({"pdfinfo", pdf.string()}).out;
        std::smatch m;
        return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : 0;
    }

    // The book of the dam example written as `name`.
    fs::path book(const std::string& name, std::vector<std::string> more = {}) {
        std::vector<std::string> args{
            "--conditions", KELNOR_DAM_EXAMPLE, "--book",    (dir / name).string(), "--by",
            "张三",         "--date",           "2026-05-01"};
        args.insert(args.end(), more.begin(), more.end());
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 0) << o.err;
        return dir / name;
    }
};

TEST_F(WordBook, LibreOfficeRendersEverySectionInOrderWithThePageFootCounted) {
    const fs::path pdf = toPdf(book("计算书.docx"));
    const int n = pages(pdf);
    EXPECT_GE(n, 4);
    EXPECT_LE(n, 12);
    const std::string text = pdfText(pdf);
    // The figures of the worked example, in the order the book gives them.
    const char* inOrder[] = {"某水库坝顶超高计算书",
                             "初步设计",
                             "张三",
                             "1 计算方法",
                             "2 计算条件",
                             "3 成果汇总",
                             "104.223",
                             "防浪墙顶 104.30",
                             "4 各工况计算",
                             "16.7051 m",
                             "5 坝顶高程的确定",
                             "103.304",
                             "6 警告",
                             "7 资料来源"};
    std::size_t at = 0;
    for (const char* figure : inOrder) {
        const std::size_t found = text.find(figure, at);
        ASSERT_NE(found, std::string::npos) << figure << " after offset " << at;
        at = found;
    }
    // The foot on every page, counting them all; pdftotext drops the spaces between Chinese
    // and the figures.
    std::string packed = text;
    std::erase(packed, ' ');
    for (int page = 1; page <= n; ++page) {
        const std::string foot = "第" + std::to_string(page) + "页共" + std::to_string(n) + "页";
        EXPECT_NE(packed.find(foot), std::string::npos) << foot;
    }
    EXPECT_EQ(text.find("PAGE"), std::string::npos);
    // The sketch's texts, drawn as shapes rather than a picture.
    for (const char* label : {"y = 2.723", "Rp = 1.713", "1:3", "竣工 103.304"}) {
        EXPECT_NE(text.find(label), std::string::npos) << label;
    }
}

TEST_F(WordBook, PythonDocxReadsTheTablesOfTheHtmlBook) {
    const fs::path docx = book("计算书.docx");
    const fs::path html = book("计算书.html");
    const std::string script =
        "import sys, docx\n"
        "for t in docx.Document(sys.argv[1]).tables:\n"
        "    for r in t.rows:\n"
        "        print('\\t'.join(c.text for c in r.cells))\n"
        "    print()\n";
    // Debian's Python, where python3-docx is, isolated from the folder it runs in.
    const Outcome o = tool({"/usr/bin/python3", "-I", "-c", script, docx.string()});
    ASSERT_EQ(o.status, 0) << o.err;
    const Tables word = docxTables(o.out);
    const Tables page = htmlTables(slurp(html));
    ASSERT_EQ(word.size(), page.size());
    for (std::size_t t = 0; t < page.size(); ++t) {
        EXPECT_EQ(word[t], page[t]) << "table " << t;
    }
}

TEST_F(WordBook, PandocReadsEveryTableCell) {
    const fs::path docx = book("计算书.docx");
    Outcome o = tool({"pandoc", "-f", "docx", "-t", "plain", "--wrap=none", docx.string()});
    ASSERT_EQ(o.status, 0) << o.err;
    // pandoc's plain text writes a superscript as ^(x) or ^x and a subscript as ~(x) or ~x.
    o.out = std::regex_replace(o.out, std::regex("[~^]\\(([^)]*)\\)"), "$1");
    std::erase(o.out, '^');
    std::erase(o.out, '~');
    // Where it can, as the superscript characters: 10⁻⁶; the book's own ² is compared alike.
    const auto lowered = [](std::string text) {
        static const std::pair<const char*, const char*> kSuperscripts[] = {
            {"⁻", "−"}, {"⁰", "0"}, {"¹", "1"}, {"²", "2"}, {"³", "3"}, {"⁴", "4"},
            {"⁵", "5"}, {"⁶", "6"}, {"⁷", "7"}, {"⁸", "8"}, {"⁹", "9"}};
        for (const auto& [raised, figure] : kSuperscripts) {
            text = std::regex_replace(text, std::regex(raised), figure);
        }
        return text;
    };
    o.out = lowered(o.out);
    for (const auto& table : htmlTables(slurp(book("计算书.html")))) {
        for (const auto& row : table) {
            for (const std::string& cell : row) {
                EXPECT_NE(o.out.find(lowered(cell)), std::string::npos) << cell;
            }
        }
    }
}

TEST_F(WordBook, TypedControlCharactersAreReplacedAndTheBookStillOpens) {
    const std::string csv = write("c.csv",
                                  "case,level,depth,wind,fetch,slope,roughness,grade\n"
                                  "A\x01"
                                  "B\x1b<x>&,100,30,21,3,3,0.8,2\n");
    const Outcome o =
        run({"--conditions", csv, "--book", (dir / "c.docx").string(), "--project", "P\x02Q"});
    ASSERT_EQ(o.status, 0) << o.err;
    const Outcome read =
        tool({"/usr/bin/python3", "-I", "-c",
              "import sys, docx\nd = docx.Document(sys.argv[1])\nprint(d.core_properties.title)\n"
              "print(d.tables[1].rows[0].cells[1].text)\n",
              (dir / "c.docx").string()});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "P\uFFFDQ坝顶超高计算书\nA\uFFFDB\uFFFD<x>&\n");
}

TEST_F(WordBook, ABookThatCannotBeWrittenLeavesNothing) {
    const fs::path target = dir / "none" / "计算书.docx";
    const Outcome o = run({"--conditions", KELNOR_DAM_EXAMPLE, "--book", target.string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("cannot write"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(target.parent_path()));
}

TEST_F(WordBook, TheSameBookIsTheSameBytes) {
    EXPECT_EQ(slurp(book("a.docx")), slurp(book("b.docx")));
}

TEST_F(WordBook, AnInstitutesTemplateMadeWithLibreOfficeIsFilled) {
    // The cover as an institute types it, one placeholder restyled in its middle, so the
    // document LibreOffice writes splits it over runs.
    write("cover.html",
          "<html><body><h1>{{工程名称}}</h1><p>设计阶段：{{设计阶段}}</p>"
          "<p>计算：{{计<b>算</b>}}　校核：{{校核}}　日期：{{日期}}</p>"
          "<p>专业：{{专业}}</p><p>软件：{{计算软件}} {{软件版本}}</p></body></html>");
    const Outcome made = tool({"soffice", "-env:UserInstallation=file://" + (dir / "lo").string(),
                               "--headless", "--convert-to", "docx:MS Word 2007 XML", "--outdir",
                               dir.string(), (dir / "cover.html").string()});
    ASSERT_EQ(made.status, 0) << made.err;
    const fs::path docx = dir / "filled.docx";
    const Outcome o =
        run({"--conditions", KELNOR_DAM_EXAMPLE, "--book", docx.string(), "--template",
             (dir / "cover.docx").string(), "--by", "张三", "--date", "2026-05-01"});
    ASSERT_EQ(o.status, 0) << o.err;
    // The placeholder no value fills is named, and stays.
    EXPECT_NE(o.err.find("{{专业}}"), std::string::npos) << o.err;
    const std::string text = pdfText(toPdf(docx));
    for (const char* filled : {"某水库", "设计阶段：初步设计", "计算：张三", "日期：2026-05-01",
                               "{{专业}}", "1 计算方法", "5 坝顶高程的确定"}) {
        EXPECT_NE(text.find(filled), std::string::npos) << filled;
    }
    for (const char* gone : {"{{工程名称}}", "{{计", "{{日期}}"}) {
        EXPECT_EQ(text.find(gone), std::string::npos) << gone;
    }
}

TEST_F(WordBook, ATemplateThatCannotBeUsedWritesNothing) {
    const std::string old = "the book written before";
    const fs::path target = write("计算书.docx", old);
    struct Case {
        const char* name;
        std::string bytes;
        const char* said;
    };
    const Case cases[] = {
        {"old.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(512, '\0'),
         "not a Word .docx"},
        {"macros.docm", "PK", "macro-enabled"},
        {"empty.docx", "", "not a Word .docx"},
    };
    for (const Case& c : cases) {
        const Outcome o = run({"--conditions", KELNOR_DAM_EXAMPLE, "--book", target.string(),
                               "--template", write(c.name, c.bytes)});
        EXPECT_EQ(o.status, 1) << c.name;
        EXPECT_NE(o.err.find(c.said), std::string::npos) << c.name << ": " << o.err;
        EXPECT_NE(o.err.find(c.name), std::string::npos) << o.err;
        EXPECT_EQ(slurp(target), old) << c.name;
    }
    const Outcome missing = run({"--conditions", KELNOR_DAM_EXAMPLE, "--book", target.string(),
                                 "--template", (dir / "none.docx").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read template"), std::string::npos) << missing.err;
    EXPECT_EQ(slurp(target), old);
    // Only a Word book follows a template.
    EXPECT_EQ(run({"--conditions", KELNOR_DAM_EXAMPLE, "--book", "b.html", "--template", "t.docx"})
                  .status,
              2);
    // Nothing but the old book is left in the folder.
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace kelnor
