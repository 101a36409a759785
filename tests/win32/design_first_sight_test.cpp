// kelnor-design.exe's window at its first size on a laptop's screen (the X screen of 1366×768
// the test is run on, under Wine) with docs/dam-example.csv: inside the screen's work area, and
// the conditions' last field, the last result row, the summary and the settled crest whole in
// sight without scrolling.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "design_window.h"
#include "kelnor/platform/text_encoding.h"
#include "test_files.h"
#include "window_support.h"

namespace kelnor::win32 {
namespace {

namespace fs = std::filesystem;

// Lets the window handle what it was sent for `milliseconds`.
void pump(DWORD milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < until) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

class DesignFirstSight : public testing_support::TemporaryFolderTest {};

TEST_F(DesignFirstSight, EverythingIsInSightOnALaptopScreen) {
    initCommonControls(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES);
    const fs::path conditions = dir / "dam.csv";
    fs::copy_file(platform::widen(KELNOR_DAM_EXAMPLE), conditions);
    // No place kept from an earlier run: the first size.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kelnor\\kelnor-design");
    DesignWindow window(dir / "data", dir);
    ASSERT_TRUE(window.open(GetModuleHandleW(nullptr), SW_SHOWNORMAL, conditions));
    pump(1500);

    const DesignWindow::Sight sight = window.sight();
    const RECT work = primaryWorkArea();
    EXPECT_EQ(work.right - work.left, 1366);
    EXPECT_GE(sight.frame.left, work.left);
    EXPECT_GE(sight.frame.top, work.top);
    EXPECT_LE(sight.frame.right, work.right);
    EXPECT_LE(sight.frame.bottom, work.bottom);
    EXPECT_TRUE(sight.lastField);
    EXPECT_TRUE(sight.lastResult);
    EXPECT_TRUE(sight.summary);
    EXPECT_TRUE(sight.settled);
}

}  // namespace
}  // namespace kelnor::win32
