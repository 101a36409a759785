// kelnor.exe: the calculator's window on Windows.

#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "kelnor/form/report_folder.h"
#include "kelnor/platform/program_folder.h"
#include "tavo_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The themed controls of common controls 6, which the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    // The help text lives beside the program, and so does the report where the user may
    // write there; a program installed under Program Files writes it to the user's own folder.
    const std::filesystem::path program = kelnor::platform::programFolder();
    const std::filesystem::path report =
        kelnor::form::reportFolder(program, kelnor::platform::userDataFolder());

    kelnor::win32::TavoWindow window(program, report);
    if (!window.open(instance, showCommand)) {
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
