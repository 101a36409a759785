// The design window's calculation book: written as HTML at once, or printed to PDF by a browser
// in the background while the window goes on.

#include <system_error>

#include "design_messages.h"
#include "kelnor/design/book.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/sheet/design_presenter.h"
#include "presenter_support.h"

namespace kelnor::sheet {

namespace fs = std::filesystem;

void DesignPresenter::writeBook(FileKind kind) {
    guarded([&] {
        // One print at a time: a second would race the first for the same browser profile
        // and, beside the same conditions file, for the same PDF.
        if (kind == FileKind::PrintedBook && printing_.running()) {
            view_.tell(messages::aboutPrint(messages::PrintNote::StillPrinting,
                                            shownPath(printing_.target())));
            return false;
        }
        std::optional<fs::path> book;
        if (file_) {
            book = bookPathFor(*file_, kind);
            std::error_code error;
            if (fs::exists(*book, error)) {
                const Answer answer = view_.ask({messages::askReplaceBook(shownPath(*book)),
                                                 {Answer::Replace, Answer::Cancel},
                                                 Answer::Replace,
                                                 Answer::Cancel});
                if (answer != Answer::Replace) {
                    return false;
                }
            }
        } else {
            book = view_.chooseFileToSave(kind, bookPathFor(fs::path(kUntitledCsv), kind));
            if (!book) {
                return false;
            }
            book = absolutePath(*book);
        }
        std::string html = design::calculationBook(designEvaluation(evaluation_), bookOptionsNow());
        if (kind == FileKind::PrintedBook) {
            printing_.start(std::move(html), *book);
            view_.showStatus(
                messages::aboutPrint(messages::PrintNote::Printing, shownPath(book->filename())));
            return true;
        }
        try {
            platform::replaceFile(utf8Path(*book), html);
        } catch (const platform::WriteFailure& f) {
            view_.tell(messages::cannotWriteBook(escapeControls(f.path()), reasonOf(f.reason())));
            return false;
        }
        showBook(*book);
        return true;
    });
}

void DesignPresenter::showBook(const fs::path& book) {
    if (const std::error_code error = view_.openDocument(book)) {
        view_.tell(
            messages::cannotShowBook(shownPath(book), reasonOf(error, utf8Path(book.filename()))));
    }
}

void DesignPresenter::finishPrint() {
    if (!printing_.running()) {
        return;
    }
    guarded([&] {
        const fs::path book = printing_.target();
        try {
            printing_.finish();
        } catch (const platform::WriteFailure& f) {
            view_.showStatus({});
            view_.tell(messages::cannotWriteBook(escapeControls(f.path()), reasonOf(f.reason())));
            return false;
        } catch (const platform::PrintFailure& f) {
            if (f.kind() == platform::PrintFailureKind::Cancelled) {
                // Asked for: said on the status line, not in a box.
                view_.showStatus(messages::cannotPrint(f, shownPath(book.filename())));
                return false;
            }
            view_.showStatus({});
            view_.tell(messages::cannotPrint(f, shownPath(book)));
            return false;
        }
        view_.showStatus(
            messages::aboutPrint(messages::PrintNote::Printed, shownPath(book.filename())));
        showBook(book);
        return true;
    });
}

void DesignPresenter::cancelPrint() {
    if (printing_.running()) {
        printing_.cancel();
        view_.showStatus(messages::aboutPrint(messages::PrintNote::Stopping,
                                              shownPath(printing_.target().filename())));
    }
}

bool DesignPresenter::mayStopPrinting() {
    if (!printing_.running()) {
        return true;
    }
    const Answer answer = view_.ask(
        {messages::aboutPrint(messages::PrintNote::AskStop, shownPath(printing_.target())),
         {Answer::Stop, Answer::Cancel},
         Answer::Cancel,
         Answer::Cancel});
    if (answer != Answer::Stop) {
        return false;
    }
    printing_.cancel();
    try {
        printing_.finish();
    } catch (const std::exception&) {
        // Stopped on the way out: nothing is left to tell.
    }
    view_.showStatus({});
    return true;
}

design::BookOptions DesignPresenter::bookOptionsNow() const {
    design::BookOptions options = bookOptions(titleOf(sheet_.dam()), design::today());
    if (evaluation_.damError) {
        options.damError = evaluation_.damError;
    } else {
        options.dam = evaluation_.dam;
        // The date as read: Excel's YYYY/M/D written as the book writes a date.
        options.date = evaluation_.dam.date.empty() ? design::today() : evaluation_.dam.date;
    }
    return options;
}

}  // namespace kelnor::sheet
