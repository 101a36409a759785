#pragma once

// A modal box of captioned lines of text with 确定 and 取消, made as a window of its own (no
// dialog resource): the owner is disabled while it is open, Tab moves between the lines, Enter
// is 确定, Escape and the close button 取消.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kelnor::win32 {

struct BoxLine {
    std::wstring caption;
    std::wstring text;  // as the box opens
    std::wstring hint;  // shown greyed while the line is empty
};

// The lines' texts as left by the user, in order; nothing when cancelled. `font` is the
// owner's, at `dpi`.
std::optional<std::vector<std::wstring>> askLines(HWND owner, const std::wstring& title,
                                                  const std::vector<BoxLine>& lines, HFONT font,
                                                  UINT dpi);

}  // namespace kelnor::win32
