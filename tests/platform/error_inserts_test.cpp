// The system's words never show an insert: "Bad EXE format for %1" names the file instead.

#include <gtest/gtest.h>

#include "kelnor/platform/error_text.h"

namespace kelnor::platform {
namespace {

TEST(WithInserts, FillsTheSubjectAndDropsTheRest) {
    struct Case {
        const char* message;
        const char* subject;
        const char* filled;
    };
    const Case cases[] = {
        {"Bad EXE format for %1", "“坝-计算书.html”", "Bad EXE format for “坝-计算书.html”"},
        {"Bad EXE format for %1", "", "Bad EXE format for"},
        {"%1 不是有效的 Win32 应用程序", "a.html", "a.html 不是有效的 Win32 应用程序"},
        {"Copy %1 to %2!s!", "x", "Copy x to x"},
        {"The %12 device", "d", "The d device"},
        {"100%% done%0 and more", "", "100% done"},
        {"line%nnext%r%tend%.", "", "line next end."},
        {"no inserts at all", "x", "no inserts at all"},
        {"ends in %", "x", "ends in"},
        {"%1!unclosed", "x", "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(withInserts(c.message, c.subject), c.filled) << c.message;
    }
}

}  // namespace
}  // namespace kelnor::platform
