#pragma once

// Texts the system gives the window, as UTF-8 the form's messages are made of.

#include <string>
#include <system_error>

#include <windows.h>

namespace kelnor::win32 {

// The system's own wording of error `code` (GetLastError), in the user's language, without
// the line break Windows ends it with.
std::string systemMessage(DWORD code);

// A write failure's reason: the system's wording for a Windows error code, else the standard
// library's text, which is in the ANSI code page.
std::string reasonText(const std::error_code& reason);

// The folder of the running program, from its full path name however long.
std::wstring programFolder();

// %LOCALAPPDATA%\Kelnor: where the report goes when the program folder cannot be written.
std::wstring userDataFolder();

}  // namespace kelnor::win32
