#include "window_placement.h"

namespace kelnor::win32 {

namespace {

constexpr wchar_t kPlacementValue[] = L"WindowPlacement";

}  // namespace

void restorePlacement(HWND window, const wchar_t* settingsKey) {
    WINDOWPLACEMENT placement{};
    DWORD size = sizeof(placement);
    if (RegGetValueW(HKEY_CURRENT_USER, settingsKey, kPlacementValue, RRF_RT_REG_BINARY, nullptr,
                     &placement, &size) != ERROR_SUCCESS ||
        size != sizeof(placement) || placement.length != sizeof(placement)) {
        return;
    }
    // Not on a monitor that is gone, nor minimised.
    if (MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONULL) == nullptr) {
        return;
    }
    if (placement.showCmd != SW_SHOWMAXIMIZED) {
        placement.showCmd = SW_HIDE;
    }
    SetWindowPlacement(window, &placement);
}

void savePlacement(HWND window, const wchar_t* settingsKey) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, kPlacementValue, 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(&placement), sizeof(placement));
        RegCloseKey(key);
    }
}

}  // namespace kelnor::win32
