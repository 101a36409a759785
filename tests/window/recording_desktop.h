#pragma once

// A desktop for the design window's tests: the viewer, the message box, the question box and
// the 计算书信息 box recorded and answered from fields, so no viewer starts and no modal box
// waits for a click.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "design_window.h"

struct RecordingDesktop {
    std::vector<std::filesystem::path> opened;  // handed to the viewer, in turn
    QStringList told;
    std::vector<kelnor::sheet::Question> asked;
    kelnor::sheet::Answer answer = kelnor::sheet::Answer::Cancel;  // every question's
    std::optional<kelnor::sheet::BookInfo> bookInfo;  // what the 计算书信息 box answers
    std::optional<std::vector<std::string>> lines;    // what any other box of lines answers
    std::vector<kelnor::sheet::LinesForm> forms;      // every box of lines shown, in turn

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
                [this](QWidget*, const kelnor::sheet::LinesForm& form)
                    -> std::optional<std::vector<std::string>> {
                    forms.push_back(form);
                    if (form.title != kelnor::sheet::kBookInfoTitle) {
                        return lines;
                    }
                    if (!bookInfo) {
                        return std::nullopt;
                    }
                    std::vector<std::string> texts;
                    for (const kelnor::sheet::BookInfoField& f : kelnor::sheet::bookInfoFields()) {
                        texts.push_back((*bookInfo).*f.value);
                    }
                    return texts;
                }};
    }
};
