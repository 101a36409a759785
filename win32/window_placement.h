#pragma once

// Where a top-level window stood between sessions: its place, its size and whether it was
// maximised, kept as the system's WINDOWPLACEMENT in the user's part of the registry.

#include <windows.h>

namespace kelnor::win32 {

// Puts `window` where it was kept under HKEY_CURRENT_USER\`settingsKey`, hidden unless it was
// maximised, so its caller shows it as it is asked to. Nothing is changed where nothing whole
// was kept, or where the monitor it was on is gone.
void restorePlacement(HWND window, const wchar_t* settingsKey);

// Keeps where `window` stands under HKEY_CURRENT_USER\`settingsKey`, the key made if need be.
void savePlacement(HWND window, const wchar_t* settingsKey);

}  // namespace kelnor::win32
