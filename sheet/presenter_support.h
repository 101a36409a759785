#pragma once

// What the design window's commands share in telling files and reasons.

#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "design_messages.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/sheet_file.h"
#include "kelnor/text/text.h"

namespace kelnor::sheet {

// A path as a message shows it: UTF-8, control characters escaped.
inline std::string shownPath(const std::filesystem::path& path) {
    return escapeControls(utf8Path(path));
}

// The system's reason; `subject`, the file it is about, where its words have a place for one.
inline std::string reasonOf(const std::error_code& reason, std::string_view subject = {}) {
    return escapeControls(platform::reasonText(reason, subject));
}

// `path` made absolute against the working folder, as the file is held from the moment it is
// opened: a name given relative to a terminal's folder would mean another file, or none, to
// the viewer a book is handed to.
inline std::filesystem::path absolutePath(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

template <typename Command>
bool DesignPresenter::guarded(Command&& command) {
    // Nothing the window asks for may end the program: whatever a command meets that it does
    // not word itself is told, and the sheet stays as the command left it.
    try {
        return command();
    } catch (const std::bad_alloc&) {
        view_.tell(messages::outOfMemory());
    } catch (const std::exception& e) {
        view_.tell(messages::unexpected(e.what()));
    }
    return false;
}

}  // namespace kelnor::sheet
