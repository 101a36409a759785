#pragma once

// A desktop for the design window's tests: the viewer, the message box, the question box and
// the 计算书信息 box recorded and answered from fields, so no viewer starts and no modal box
// waits for a click.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "design_window.h"

struct RecordingDesktop {
    std::vector<std::filesystem::path> opened;  // handed to the viewer, in turn
    QStringList told;
    std::vector<kelnor::sheet::Question> asked;
    kelnor::sheet::Answer answer = kelnor::sheet::Answer::Cancel;  // every question's
    std::optional<kelnor::sheet::BookInfo> bookInfo;  // what the 计算书信息 box answers

    void clear() {
        opened.clear();
        told.clear();
        asked.clear();
        answer = kelnor::sheet::Answer::Cancel;
    }

    DesignDesktop desktop() {
        return {[this](const std::filesystem::path& file) {
                    opened.push_back(file);
                    return std::error_code();
                },
                [this](QWidget*, const QString&, const QString& text) { told << text; },
                [this](QWidget*, const QString&, const kelnor::sheet::Question& question) {
                    asked.push_back(question);
                    return answer;
                },
                [this](QWidget*, const kelnor::sheet::BookInfo&) { return bookInfo; }};
    }
};
