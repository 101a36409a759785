#include "failure_message.h"

#include <QDir>
#include <QFile>

namespace {

using kelnor::FailureKind;

QString kindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return QStringLiteral("类型不匹配");
        case FailureKind::DivisionByZero:
            return QStringLiteral("除数为零");
        case FailureKind::Overflow:
            return QStringLiteral("溢出");
        case FailureKind::InvalidArgument:
            return QStringLiteral("无效的参数");
        case FailureKind::CannotWriteReport:
            return QStringLiteral("报告文件无法写入");
    }
    return QStringLiteral("计算失败");
}

// A pasted page of text would make the message as wide as the screen; its start is enough
// to recognise it.
QString quoted(const QString& text) {
    constexpr int kLongest = 40;
    const QString shown = text.size() > kLongest ? text.left(kLongest) + QChar(0x2026) : text;
    return QStringLiteral("“") + shown + QStringLiteral("”");
}

QString detail(const kelnor::Failure& failure, const std::function<QString(int)>& caption) {
    const QString text = QString::fromStdString(failure.text());
    if (failure.box()) {
        const QString box = QStringLiteral("“") + caption(*failure.box()) + QStringLiteral("”");
        if (failure.kind() == FailureKind::Overflow) {
            return box + QStringLiteral("中的") + quoted(text) + QStringLiteral("超出了数的范围。");
        }
        if (text.isEmpty()) {
            return box + QStringLiteral("是空的，不是数字。");
        }
        return box + QStringLiteral("中的") + quoted(text) + QStringLiteral("不是数字。");
    }
    switch (failure.kind()) {
        case FailureKind::DivisionByZero:
            return QStringLiteral("计算中出现了除以零，请检查输入的数值。");
        case FailureKind::Overflow:
            return QStringLiteral("计算结果超出了数的范围，请检查输入的数值。");
        case FailureKind::InvalidArgument:
            return QStringLiteral("计算中出现了负数开方或负数的分数次幂，请检查输入的数值。");
        case FailureKind::CannotWriteReport:
            // The path is the file system's bytes; the reason is in the locale's language.
            return QDir::toNativeSeparators(QFile::decodeName(failure.text().c_str())) +
                   QStringLiteral("\n原因：") + QString::fromLocal8Bit(failure.reason());
        case FailureKind::TypeMismatch:
            break;
    }
    return QString();
}

}  // namespace

QString failureMessage(const kelnor::Failure& failure, const std::function<QString(int)>& caption) {
    QString message = kindName(failure.kind());
    const QString more = detail(failure, caption);
    if (!more.isEmpty()) {
        message += QStringLiteral("：") + more;
    }
    // The report is replaced only by a complete new one, so a failure leaves the last good
    // report in place; the user may rely on that.
    message += QStringLiteral("\n\n计算未完成，原有的成果文件没有改动。");
    return message;
}
