#pragma once

// The system's own words for what went wrong, as UTF-8 the program's messages are made of.

#include <string>
#include <string_view>
#include <system_error>

namespace kelnor::platform {

// The reason in the system's wording: for a Windows error code the system's message in the
// user's language, without the line break Windows ends it with; otherwise the standard
// library's text, converted from the system's code page where that is not UTF-8.
// Where the system's words hold an insert for the thing they are about ("Bad EXE format for
// %1"), `subject` stands in it; without one the sentence goes without it. No insert ever shows.
std::string reasonText(const std::error_code& reason, std::string_view subject = {});

// A system message's inserts filled in: each numbered insert (%1 … %99, with any !format!) by
// `subject`, %% by %, %n and %t by a blank, %r, %0 and the rest by nothing, "%." by ".".
std::string withInserts(std::string_view message, std::string_view subject);

}  // namespace kelnor::platform
