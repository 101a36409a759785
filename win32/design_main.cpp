// kelnor-design.exe: the design-conditions window on Windows. A conditions file named on the
// command line (or opened with the program from Explorer) is opened at start.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <optional>

#include "design_window.h"
#include "kelnor/platform/program_folder.h"
#include "window_support.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    kelnor::win32::initCommonControls(ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                      ICC_BAR_CLASSES);

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
    return kelnor::win32::runMessages(window);
}
