#include "design_messages.h"

#include "kelnor/design/condition.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::sheet::messages {

namespace {

// Said after every failure to open: the sheet in the window is the one the user had.
constexpr std::string_view kSheetKept = "\n\n工况表没有改动。";

std::string columnList() {
    std::string out;
    for (std::string_view column : design::conditionColumns()) {
        if (!out.empty()) {
            out += "、";
        }
        out += column;
    }
    return out;
}

std::string rowProblem(const RowIssue& issue) {
    std::string what;
    switch (issue.problem) {
        case csv::RowProblem::None:
            break;
        case csv::RowProblem::TooLong:
            what = "这一行太长";
            break;
        case csv::RowProblem::UnclosedQuote:
            what = "引号没有配对，文件在引号内结束";
            break;
        case csv::RowProblem::CellCount:
            what = "格数与表头的列数不同";
            break;
    }
    return fillIn("第 {row} 行：{what}，{done}。",
                  {{"row", std::to_string(issue.row)},
                   {"what", what},
                   {"done", issue.kept ? "已读入能读的格" : "没有读入"}});
}

// A sentence about a file and the system's reason it gives.
std::string aboutFile(std::string_view pattern, std::string_view file, std::string_view reason) {
    return fillIn(pattern, {{"file", file}, {"reason", reason}});
}

}  // namespace

std::string tableProblem(const csv::TableError& e, std::string_view file) {
    switch (e.kind()) {
        case csv::TableErrorKind::ReadFailed:
            return fillIn("读取时出错：{reason}",
                          {{"reason", escapeControls(platform::reasonText(e.reason()))}});
        case csv::TableErrorKind::NoHeader:
            return "文件是空的，没有表头。";
        case csv::TableErrorKind::HeaderNotCsv:
            return "第一行不是用逗号分隔的列名。";
        case csv::TableErrorKind::EmptyColumnName:
            return fillIn(e.lastColumn() ? "表头第 {col} 列没有列名（行末多了一个逗号？）。"
                                         : "表头第 {col} 列没有列名（两个逗号连在一起？）。",
                          {{"col", std::to_string(e.column())}});
        case csv::TableErrorKind::UnknownColumn:
            return fillIn("表头中的“{name}”不是工况表的列；工况表的列有 {list}。",
                          {{"name", escapeControls(e.name())}, {"list", columnList()}});
        case csv::TableErrorKind::RepeatedColumn:
            return fillIn("表头中“{name}”出现了两次。", {{"name", escapeControls(e.name())}});
        case csv::TableErrorKind::NoRows:
            return "只有表头，没有工况。";
        case csv::TableErrorKind::NotText:
            if (e.row() == 0) {
                return "表头既不是 UTF-8 也不是 GBK 文字。";
            }
            return fillIn("第 {row} 行既不是 UTF-8 也不是 GBK 文字。",
                          {{"row", std::to_string(e.row())}});
    }
    return fillIn("无法读取“{file}”。", {{"file", file}});
}

std::string cannotOpen(std::string_view file, std::string_view reason) {
    return aboutFile("无法打开文件“{file}”：{reason}", file, reason) + std::string(kSheetKept);
}

std::string notConditions(std::string_view file, std::string_view problem) {
    return fillIn("文件“{file}”不能作为工况表打开：{problem}",
                  {{"file", file}, {"problem", problem}}) +
           std::string(kSheetKept);
}

std::string rowIssues(std::string_view file, const std::vector<RowIssue>& issues) {
    std::string out = fillIn("文件“{file}”中有的行不完整：", {{"file", file}});
    for (const RowIssue& issue : issues) {
        out += '\n';
        out += rowProblem(issue);
    }
    out += "\n\n请检查这些工况。";
    return out;
}

std::string autosaveUnreadable(std::string_view file, std::string_view problem) {
    return fillIn("自动保存的工况“{file}”无法读取：{problem}\n\n将显示示例工况。",
                  {{"file", file}, {"problem", problem}});
}

std::string cannotSave(std::string_view file, std::string_view reason) {
    return aboutFile("无法保存文件“{file}”：{reason}\n\n工况表尚未保存。", file, reason);
}

std::string cannotWriteBook(std::string_view file, std::string_view reason) {
    return aboutFile("无法写入计算书“{file}”：{reason}", file, reason);
}

std::string cannotUseTemplate(std::string_view file, const docx::TemplateError& error,
                              bool writing) {
    using enum docx::TemplateErrorKind;
    static constexpr Word<docx::TemplateErrorKind> kReasons[] = {
        {MacroEnabled, "启用宏的文档（.docm、.dotm 或含 VBA 工程的文档）不能用作模板。"},
        {NotAZip, "不是 Word 的 .docx 或 .dotx 文件（可能是旧版 .doc、加密的文档或其他文件）。"},
        {NotWord, "是 zip 压缩包，但其中没有 word/document.xml，不是 Word 文档。"},
        {UnsafeName, "其中的条目“{entry}”指向文档之外，不能使用。"},
        {TooLarge, "解压后超出合理的大小（可能是“压缩炸弹”）。"},
        {Damaged, "文件已损坏{at}。"},
    };
    const std::string entry = escapeControls(error.entry());
    const std::string reason =
        fillIn(wordFor(error.kind(), kReasons),
               {{"entry", entry}, {"at", entry.empty() ? "" : "（“" + entry + "”处）"}});
    return fillIn("无法使用计算书模板“{file}”：{reason}{tail}",
                  {{"file", file},
                   {"reason", reason},
                   {"tail", writing ? "\n\n计算书没有写出。" : "\n\n计算书模板没有改变。"}});
}

std::string cannotReadTemplate(std::string_view file, std::string_view reason, bool writing) {
    return fillIn("无法读取计算书模板“{file}”：{reason}{tail}",
                  {{"file", file},
                   {"reason", reason},
                   {"tail", writing ? "\n\n计算书没有写出。" : "\n\n计算书模板没有改变。"}});
}

std::string unknownPlaceholders(std::string_view book, const std::vector<std::string>& unknown) {
    std::string list;
    for (const std::string& p : unknown) {
        list += (list.empty() ? "" : "、") + escapeControls(p);
    }
    return fillIn("已写出“{book}”；模板中的 {list} 没有对应的值，已原样保留。",
                  {{"book", book}, {"list", list}});
}

std::string templateChosen(std::string_view file) {
    return file.empty() ? std::string("Word 计算书不再使用模板。")
                        : fillIn("Word 计算书将按模板“{file}”写出。", {{"file", file}});
}

std::string askTemplate(std::string_view file) {
    return fillIn("Word 计算书现按模板“{file}”写出。\n\n选择另一个模板，还是不再使用模板？",
                  {{"file", file}});
}

std::string cannotKeepTemplate(std::string_view file, std::string_view reason) {
    return aboutFile("所选模板无法记录到“{file}”：{reason}。本次仍使用所选模板。", file, reason);
}

std::string cannotShowBook(std::string_view file, std::string_view reason) {
    return aboutFile("计算书已写入“{file}”，但无法打开它：{reason}", file, reason);
}

std::string missingHelp(std::string_view file) {
    return fillIn("找不到帮助文件“{file}”。", {{"file", file}});
}

std::string cannotShowHelp(std::string_view file, std::string_view reason) {
    return aboutFile("无法打开帮助文件“{file}”：{reason}", file, reason);
}

std::string cannotPrint(const platform::PrintFailure& failure, std::string_view file) {
    using enum platform::PrintFailureKind;
    static constexpr Word<platform::PrintFailureKind> kTexts[] = {
        {NoBrowser,
         "无法生成 PDF“{file}”：找不到 Chromium 系列浏览器（查找了 {looked}）。HTML 计算书可在任一"
         "浏览器中打开并打印。"},
        {CannotStart, "无法生成 PDF“{file}”：浏览器“{browser}”无法启动：{reason}"},
        {Failed, "无法生成 PDF“{file}”：浏览器“{browser}”以退出码 {status} 结束。"},
        {TimedOut, "无法生成 PDF“{file}”：浏览器“{browser}”在 {seconds} 秒内未完成，已停止。"},
        {NoPdf, "无法生成 PDF“{file}”：浏览器“{browser}”结束了，但没有生成 PDF。"},
        {Cancelled, "已停止生成 PDF“{file}”，原有文件保持不变。"},
    };
    std::string looked;
    for (const std::string& name : platform::browsersLookedFor()) {
        looked += (looked.empty() ? "" : "、") + name;
    }
    return fillIn(wordFor(failure.kind(), kTexts),
                  {{"file", file},
                   {"looked", escapeControls(looked)},
                   {"browser", escapeControls(failure.browser())},
                   {"reason", escapeControls(platform::reasonText(failure.reason()))},
                   {"status", std::to_string(failure.exitStatus())},
                   {"seconds", std::to_string(platform::kPrintTimeout.count())}});
}

std::string aboutPrint(PrintNote note, std::string_view file) {
    using enum PrintNote;
    static constexpr Word<PrintNote> kTexts[] = {
        {Printing, "正在生成计算书 PDF“{file}”……"},
        {Printed, "已生成计算书 PDF“{file}”。"},
        {Stopping, "正在停止生成 PDF“{file}”……"},
        {StillPrinting, "计算书 PDF“{file}”正在生成，请等它完成或先停止生成，再生成下一份。"},
        {AskStop, "计算书 PDF“{file}”正在生成。停止生成并关闭窗口吗？原有的 PDF 保持不变。"},
    };
    return fillIn(wordFor(note, kTexts), {{"file", file}});
}

std::string autosaveRestored(std::string_view name) {
    return fillIn("已恢复“{name}”上次未保存的修改。", {{"name", name}});
}

std::string notADate(std::string_view text) {
    return fillIn("日期“{text}”不是 YYYY-MM-DD 形式的日期，如 2026-12-07。", {{"text", text}});
}

std::string cannotKeepBookInfo(std::string_view file, std::string_view reason) {
    return aboutFile("计算书信息无法保存到“{file}”：{reason}。本次写出的计算书仍使用所填信息。",
                     file, reason);
}

std::string askSave(std::string_view name) {
    return fillIn("工况表“{name}”已修改，是否保存？", {{"name", name}});
}

std::string askReplaceBook(std::string_view file) {
    return fillIn("计算书“{file}”已存在，是否替换？", {{"file", file}});
}

std::string outOfMemory() {
    return "内存不足，操作未完成。";
}

std::string unexpected(std::string_view what) {
    return fillIn("操作未完成：发生了意外错误（{what}）。", {{"what", escapeControls(what)}});
}

}  // namespace kelnor::sheet::messages
