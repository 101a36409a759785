#pragma once

// A design window as the presenter sees it, answering from queues and recording what the
// presenter does with it; the printing thread's word that a print ended can be waited for.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "kelnor/sheet/design_presenter.h"

namespace kelnor::sheet {

// A window that answers from queues and records what the presenter does with it.
class RecordingView : public DesignView {
  public:
    std::deque<Answer> answers;
    std::vector<Question> asked;
    std::optional<std::filesystem::path> toOpen;
    std::vector<FileKind> openKinds;  // the kind each open box asked for
    std::optional<std::filesystem::path> toSave;
    std::vector<FileKind> saveBoxes;
    std::vector<std::filesystem::path> opened;
    std::vector<std::string> told;
    std::vector<Place> places;
    std::string clipboard;
    std::string title;
    int sheetShown = 0;
    bool closed = false;

    void setTitle(const std::string& t) override { title = t; }
    void showSheet() override { ++sheetShown; }
    void showResults() override {}
    void showPicture() override {}
    void showPlace(const Place& place) override { places.push_back(place); }
    void tell(const std::string& message) override { told.push_back(message); }
    Answer ask(const Question& question) override {
        asked.push_back(question);
        const Answer a = answers.empty() ? question.byDefault : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return a;
    }
    std::optional<std::filesystem::path> chooseFileToOpen(FileKind kind) override {
        openKinds.push_back(kind);
        return toOpen;
    }
    std::optional<std::filesystem::path> chooseFileToSave(FileKind kind,
                                                          const std::filesystem::path&) override {
        saveBoxes.push_back(kind);
        return toSave;
    }
    std::error_code openDocument(const std::filesystem::path& file) override {
        opened.push_back(file);
        return {};
    }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    std::string clipboardText() override { return clipboard; }
    // The 计算书信息 box answers from infoAnswers, every other box from linesAnswers.
    std::optional<std::vector<std::string>> editLines(const LinesForm& form) override {
        forms.push_back(form);
        if (form.title == kBookInfoTitle) {
            BookInfo shown;
            for (std::size_t i = 0; i < bookInfoFields().size(); ++i) {
                shown.*bookInfoFields()[i].value = form.lines.at(i).text;
            }
            infoShown.push_back(shown);
            const std::optional<BookInfo> a = next(infoAnswers);
            if (!a) {
                return std::nullopt;
            }
            std::vector<std::string> texts;
            for (const BookInfoField& f : bookInfoFields()) {
                texts.push_back((*a).*f.value);
            }
            return texts;
        }
        return next(linesAnswers);
    }
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void printEnded() override {
        const std::lock_guard lock(print_->mutex);
        ++print_->ended;
        print_->changed.notify_all();
    }
    void closeWindow() override { closed = true; }

    std::deque<std::optional<BookInfo>> infoAnswers;  // the 计算书信息 box's answers in turn
    std::deque<std::optional<std::vector<std::string>>> linesAnswers;  // other boxes' answers
    std::vector<LinesForm> forms;  // every box of lines shown, in turn
    std::vector<BookInfo> infoShown;
    std::vector<std::string> statuses;  // the status line's texts in turn

    // Waits until the printing thread has said a print ended (at most `limit`); true when it
    // did. Each print's end is waited for once.
    bool waitForPrint(std::chrono::seconds limit = std::chrono::seconds(30)) {
        std::unique_lock lock(print_->mutex);
        const bool ended =
            print_->changed.wait_for(lock, limit, [&] { return print_->ended > print_->waited; });
        print_->waited += ended ? 1 : 0;
        return ended;
    }

  private:
    // The first of `answers`, taken; nothing when none is left.
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<T> a = std::move(answers.front());
        answers.pop_front();
        return a;
    }

    struct PrintSignal {
        std::mutex mutex;
        std::condition_variable changed;
        int ended = 0;   // prints the printing thread said ended
        int waited = 0;  // of those, waited for
    };
    // Apart, so a view can be made afresh by assignment.
    std::unique_ptr<PrintSignal> print_ = std::make_unique<PrintSignal>();
};

}  // namespace kelnor::sheet
