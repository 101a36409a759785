#pragma once

// The system's own words for what went wrong, as UTF-8 the program's messages are made of.

#include <string>
#include <system_error>

namespace kelnor::platform {

// The reason in the system's wording: for a Windows error code the system's message in the
// user's language, without the line break Windows ends it with; otherwise the standard
// library's text, converted from the system's code page where that is not UTF-8.
std::string reasonText(const std::error_code& reason);

}  // namespace kelnor::platform
