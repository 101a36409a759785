// kelnor.exe: the calculator's window on Windows.

#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "kelnor/form/report_folder.h"
#include "kelnor/platform/program_folder.h"
#include "tavo_window.h"
#include "window_support.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    kelnor::win32::initCommonControls(ICC_STANDARD_CLASSES);

    // The help text lives beside the program, and so does the report where the user may
    // write there; a program installed under Program Files writes it to the user's own folder.
    const std::filesystem::path program = kelnor::platform::programFolder();
    const std::filesystem::path report =
        kelnor::form::reportFolder(program, kelnor::platform::userDataFolder());

    kelnor::win32::TavoWindow window(program, report);
    if (!window.open(instance, showCommand)) {
        return 1;
    }
    return kelnor::win32::runMessages(window);
}
