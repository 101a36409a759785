#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "kelnor/failure.h"

// What the window tells its user, in Chinese (UTF-8), the same whichever toolkit draws it.
namespace kelnor::form {

// A calculation that did not complete: the kind of failure and, for a box that could not be
// read, the box by its caption and the text as typed. `caption(box)` names input box `box` as
// the window labels it, without the colon.
std::string failureMessage(const Failure& failure,
                           const std::function<std::string(int box)>& caption);

// A report that could not be written: the file as the system shows paths, and the system's
// reason.
std::string writeFailureMessage(std::string_view path, std::string_view reason);

// Anything else that stopped a calculation (memory exhausted, a converter's error): the
// program goes on and says what it knows.
std::string unexpectedFailureMessage(std::string_view what);

// A file that is there but that the system could not open: the file and the system's reason
// (no program is associated with text files, for one).
std::string openFailureMessage(std::string_view path, std::string_view reason);

// View results before any calculation, or a report since removed.
inline constexpr std::string_view kNoReportYet = "还没有成果文件，请先计算。";
// The parameter help text is missing from the program folder.
inline constexpr std::string_view kNoHelpFile = "找不到参数选取说明文件。";

}  // namespace kelnor::form
