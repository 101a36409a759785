// kelnor-design.exe: the design-conditions window on Windows. A conditions file named on the
// command line (or opened with the program from Explorer) is opened at start.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <optional>

#include "design_window.h"
#include "kelnor/platform/program_folder.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The themed controls of common controls 6, which the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    std::optional<std::filesystem::path> file;
    int count = 0;
    if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        if (count > 1) {
            file = std::filesystem::path(arguments[1]);
        }
        LocalFree(arguments);
    }

    kelnor::win32::DesignWindow window(kelnor::platform::userDataFolder(),
                                       kelnor::platform::programFolder());
    if (!window.open(instance, showCommand, file)) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.handleKey(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
