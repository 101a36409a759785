#include "kelnor/form/messages.h"

#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::form {

namespace {

std::string_view kindName(FailureKind kind) {
    static constexpr Word<FailureKind> kKinds[] = {{FailureKind::TypeMismatch, "类型不匹配"},
                                                   {FailureKind::DivisionByZero, "除数为零"},
                                                   {FailureKind::Overflow, "溢出"},
                                                   {FailureKind::InvalidArgument, "无效的参数"}};
    return wordFor(kind, kKinds);
}

// A pasted page of text would make the message as wide as the screen; its first 40
// characters are enough to recognise it. A line break or other control character typed or
// pasted with it is shown as an escape, so the text stays on its line within the quotes.
std::string shortQuoted(std::string_view text) {
    constexpr int kLongest = 40;
    std::size_t end = 0;
    int characters = 0;
    while (end < text.size() && characters < kLongest) {
        // Steps over one UTF-8 sequence: a lead byte and its continuation bytes.
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
        ++characters;
    }
    std::string shown = escapeControls(text.substr(0, end));
    if (end < text.size()) {
        shown += "…";
    }
    return "“" + shown + "”";
}

std::string detail(const Failure& failure, const std::function<std::string(int)>& caption) {
    if (failure.box()) {
        const std::string box = "“" + caption(*failure.box()) + "”";
        if (failure.kind() == FailureKind::Overflow) {
            return box + "中的" + shortQuoted(failure.text()) + "超出了数的范围。";
        }
        if (failure.text().empty()) {
            return box + "是空的，不是数字。";
        }
        return box + "中的" + shortQuoted(failure.text()) + "不是数字。";
    }
    switch (failure.kind()) {
        case FailureKind::DivisionByZero:
            return "计算中出现了除以零，请检查输入的数值。";
        case FailureKind::Overflow:
            return "计算结果超出了数的范围，请检查输入的数值。";
        case FailureKind::InvalidArgument:
            return "计算中出现了负数开方或负数的分数次幂，请检查输入的数值。";
        case FailureKind::TypeMismatch:
            break;
    }
    return {};
}

// The report is replaced only by a complete new one, so a failure leaves the last good
// report in place; the user may rely on that.
constexpr std::string_view kReportKept = "\n\n计算未完成，原有的成果文件没有改动。";

}  // namespace

std::string failureMessage(const Failure& failure, const std::function<std::string(int)>& caption) {
    std::string message(kindName(failure.kind()));
    const std::string more = detail(failure, caption);
    if (!more.empty()) {
        message += "：" + more;
    }
    return message + std::string(kReportKept);
}

std::string writeFailureMessage(std::string_view path, std::string_view reason) {
    return "报告文件无法写入：" + std::string(path) + "\n原因：" + std::string(reason) +
           std::string(kReportKept);
}

std::string openFailureMessage(std::string_view path, std::string_view reason) {
    return "无法打开文件：" + std::string(path) + "\n原因：" + std::string(reason);
}

std::string unexpectedFailureMessage(std::string_view what) {
    return "计算失败：" + std::string(what) + std::string(kReportKept);
}

}  // namespace kelnor::form
