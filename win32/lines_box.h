#pragma once

// A modal box of captioned lines of text with 确定 and 取消, made as a window of its own (no
// dialog resource): the owner is disabled while it is open, Tab moves between the lines, Enter
// is 确定, Escape and the close button 取消.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelnor::win32 {

struct BoxLine {
    std::wstring caption;
    std::wstring text;  // as the box opens
    std::wstring hint;  // shown greyed while the line is empty
};

// What the box says under its lines of their texts, said again as they change.
using LinesSaying = std::function<std::wstring(const std::vector<std::wstring>&)>;

// The lines' texts as left by the user, in order; nothing when cancelled. `font` is the
// owner's, at `dpi`; `live`, where given, speaks under the lines.
std::optional<std::vector<std::wstring>> askLines(HWND owner, const std::wstring& title,
                                                  const std::vector<BoxLine>& lines, HFONT font,
                                                  UINT dpi, const LinesSaying& live = {});

}  // namespace kelnor::win32
