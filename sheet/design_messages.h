#pragma once

// The design-conditions window's Chinese messages: files that cannot be opened or written, a
// table that is not a conditions table, rows not read whole, and the questions asked before
// changes are lost or a book replaced. Every text from outside (file names, column names, the
// system's reasons) comes in already escaped where it may hold control characters.

#include <string>

#include <string_view>
#include <vector>
#include "kelnor/docx/word_book.h"

#include "kelnor/csv/table.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet::messages {

// What stops the table in `file` from being read, in Chinese, without the file's name where
// the sentence does not need it: "表头中的列“abc”不是工况表的列……".
std::string tableProblem(const csv::TableError& error, std::string_view file);

std::string cannotOpen(std::string_view file, std::string_view reason);
std::string notConditions(std::string_view file, std::string_view problem);
// The rows of `file` that did not read whole, one line each, and what became of them.
std::string rowIssues(std::string_view file, const std::vector<RowIssue>& issues);
std::string autosaveUnreadable(std::string_view file, std::string_view problem);

std::string cannotSave(std::string_view file, std::string_view reason);
std::string cannotWriteBook(std::string_view file, std::string_view reason);
std::string cannotShowBook(std::string_view file, std::string_view reason);
// The book template `file` cannot be used: why, and that no book was written (`writing`) or
// that the template chosen before stays.
std::string cannotUseTemplate(std::string_view file, const docx::TemplateError& error,
                              bool writing);
std::string cannotReadTemplate(std::string_view file, std::string_view reason, bool writing);
// The status line once the Word book is written in a template whose placeholders `unknown`
// no value fills.
std::string unknownPlaceholders(std::string_view book, const std::vector<std::string>& unknown);
// The status line once a template is chosen, or none.
std::string templateChosen(std::string_view file);
std::string askTemplate(std::string_view file);
std::string cannotKeepTemplate(std::string_view file, std::string_view reason);

std::string missingHelp(std::string_view file);
std::string cannotShowHelp(std::string_view file, std::string_view reason);

// The book could not be printed to PDF at `file`.
std::string cannotPrint(const platform::PrintFailure& failure, std::string_view file);
// What is said of the book `file` printed in the background: on the status line while it is
// made, once made, while it is stopped; in a box when another print is asked for meanwhile, and
// as the question before the window closes on it.
enum class PrintNote { Printing, Printed, Stopping, StillPrinting, AskStop };
std::string aboutPrint(PrintNote note, std::string_view file);
// The status line at start: the unsaved changes of `name` were restored.
std::string autosaveRestored(std::string_view name);
std::string notADate(std::string_view text);
std::string cannotKeepBookInfo(std::string_view file, std::string_view reason);

std::string askSave(std::string_view name);
std::string askReplaceBook(std::string_view file);

std::string outOfMemory();
std::string unexpected(std::string_view what);

}  // namespace kelnor::sheet::messages
