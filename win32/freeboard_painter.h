#pragma once

// The freeboard sketch painted with GDI: the toolkit-free drawing fitted to the control, its
// texts measured with the control's font, drawn off screen and shown at once.

#include <windows.h>

#include "kelnor/design/drawing.h"

namespace kelnor::win32 {

// Paints `drawing` into the control `picture` (its WM_PAINT) at the monitor's `dpi`.
void paintFreeboard(HWND picture, const design::Drawing& drawing, UINT dpi);

}  // namespace kelnor::win32
