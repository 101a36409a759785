#include "failure_message.h"

#include <QDir>
#include <QFile>

#include "kelnor/form/messages.h"

QString failureMessage(const kelnor::Failure& failure, const std::function<QString(int)>& caption) {
    return QString::fromStdString(kelnor::form::failureMessage(
        failure, [&caption](int box) { return caption(box).toStdString(); }));
}

QString writeFailureMessage(const kelnor::WriteFailure& failure) {
    // The path is the file system's bytes; the reason is in the locale's language.
    const QString path = QDir::toNativeSeparators(QFile::decodeName(failure.path().c_str()));
    const QString reason = QString::fromLocal8Bit(failure.reason().message());
    return QString::fromStdString(
        kelnor::form::writeFailureMessage(path.toStdString(), reason.toStdString()));
}
