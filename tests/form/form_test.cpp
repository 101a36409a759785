// The window's messages, as both windows show them.

#include <gtest/gtest.h>

#include <string>

#include "kelnor/form/messages.h"

namespace kelnor::form {
namespace {

const std::string kKept = "\n\n计算未完成，原有的成果文件没有改动。";

std::string caption(int box) {
    return box == 2 ? "吹程(km)" : "box " + std::to_string(box);
}

TEST(FormMessages, CalculationFailures) {
    std::string thirtyNine, forty, fortyOne;
    for (int i = 0; i < 39; ++i) {
        thirtyNine += "水";
    }
    forty = thirtyNine + "水";
    fortyOne = forty + "深";
    const struct {
        const char* name;
        Failure failure;
        std::string message;
    } rows[] = {
        {"a box that is not a number", Failure::reading(FailureKind::TypeMismatch, 2, "2,5"),
         "类型不匹配：“吹程(km)”中的“2,5”不是数字。"},
        {"an empty box", Failure::reading(FailureKind::TypeMismatch, 2, ""),
         "类型不匹配：“吹程(km)”是空的，不是数字。"},
        {"a number beyond the range", Failure::reading(FailureKind::Overflow, 2, "1e999"),
         "溢出：“吹程(km)”中的“1e999”超出了数的范围。"},
        {"forty characters are shown whole", Failure::reading(FailureKind::TypeMismatch, 2, forty),
         "类型不匹配：“吹程(km)”中的“" + forty + "”不是数字。"},
        {"a longer text is cut after forty characters, not bytes",
         Failure::reading(FailureKind::TypeMismatch, 2, fortyOne),
         "类型不匹配：“吹程(km)”中的“" + forty + "…”不是数字。"},
        {"a line break pasted into a box is shown as an escape",
         Failure::reading(FailureKind::TypeMismatch, 2, "2\n5\r"),
         "类型不匹配：“吹程(km)”中的“2\\n5\\r”不是数字。"},
        {"a byte that is no UTF-8 is shown as an escape",
         Failure::reading(FailureKind::TypeMismatch, 2, "2\xff"),
         "类型不匹配：“吹程(km)”中的“2\\xff”不是数字。"},
        {"a control character counts as one of the forty and its escape is never cut",
         Failure::reading(FailureKind::TypeMismatch, 2, thirtyNine + "\t深"),
         "类型不匹配：“吹程(km)”中的“" + thirtyNine + "\\t…”不是数字。"},
        {"a division by zero", Failure(FailureKind::DivisionByZero),
         "除数为零：计算中出现了除以零，请检查输入的数值。"},
        {"a negative root", Failure(FailureKind::InvalidArgument),
         "无效的参数：计算中出现了负数开方或负数的分数次幂，请检查输入的数值。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(failureMessage(row.failure, caption), row.message + kKept);
    }
}

TEST(FormMessages, WriteAndUnexpectedFailures) {
    EXPECT_EQ(writeFailureMessage("/opt/kelnor/tavoout.txt", "Permission denied"),
              "报告文件无法写入：/opt/kelnor/tavoout.txt\n原因：Permission denied" + kKept);
    EXPECT_EQ(unexpectedFailureMessage("std::bad_alloc"), "计算失败：std::bad_alloc" + kKept);
    // Opening a file changes no report: nothing to say about the last one.
    EXPECT_EQ(openFailureMessage("C:\\Kelnor\\tavoout.txt", "No application is associated"),
              "无法打开文件：C:\\Kelnor\\tavoout.txt\n原因：No application is associated");
}

}  // namespace
}  // namespace kelnor::form
