#pragma once

// Handing a file to the desktop, which opens it with the viewer the user has chosen for it.

#include <filesystem>
#include <system_error>

namespace kelnor::platform {

// Starts the viewer for `file` and returns at once, without waiting for it. The system's
// reason when no viewer could be started; whether the viewer then finds the file is its own
// business.
std::error_code openDocument(const std::filesystem::path& file);

}  // namespace kelnor::platform
