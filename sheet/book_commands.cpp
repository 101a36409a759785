// The design window's calculation book: written as HTML or as a Word document (in the
// institute's template where one is chosen) at once, or printed to PDF by a browser in the
// background while the window goes on.

#include <system_error>

#include "design_messages.h"
#include "kelnor/design/book.h"
#include "kelnor/design/dike_book.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/input_file.h"
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
        // The Word book is saved as the user names it (保存为…), beside the conditions file
        // unless moved; the others are written beside it.
        if (file_ && kind != FileKind::WordBook) {
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
            book = view_.chooseFileToSave(
                kind, bookPathFor(file_ ? *file_ : fs::path(kUntitledCsv), kind));
            if (!book) {
                return false;
            }
            book = absolutePath(*book);
        }
        std::vector<std::string> unknown;
        std::string bytes;
        if (kind == FileKind::WordBook) {
            std::optional<docx::TemplatedBook> word = wordBook();
            if (!word) {
                return false;
            }
            bytes = std::move(word->bytes);
            unknown = std::move(word->unknown);
        } else {
            bytes = design::bookHtml(bookDocumentNow(bookOptionsNow()));
        }
        if (kind == FileKind::PrintedBook) {
            printing_.start(std::move(bytes), *book);
            view_.showStatus(
                messages::aboutPrint(messages::PrintNote::Printing, shownPath(book->filename())));
            return true;
        }
        try {
            platform::replaceFile(*book, bytes);
        } catch (const platform::WriteFailure& f) {
            view_.tell(messages::cannotWriteBook(escapeControls(f.path()), reasonOf(f.reason())));
            return false;
        }
        if (!unknown.empty()) {
            view_.showStatus(messages::unknownPlaceholders(shownPath(book->filename()), unknown));
        }
        showBook(*book);
        return true;
    });
}

std::optional<docx::TemplatedBook> DesignPresenter::wordBook() {
    const design::BookOptions options = bookOptionsNow();
    const design::doc::Document document = bookDocumentNow(options);
    const docx::Properties properties = docx::propertiesOf(document, options.title);
    if (!bookTemplate_) {
        return docx::TemplatedBook{docx::wordBook(document, properties), {}};
    }
    const fs::path& file = *bookTemplate_;
    const std::string shown = shownPath(file);
    try {
        const std::string bytes = platform::readWholeFile(file, docx::kTemplateLimit);
        return docx::wordBookInTemplate(bytes, utf8Path(file.filename()), document, properties,
                                        docx::templateFields(options.title));
    } catch (const docx::TemplateError& e) {
        view_.tell(messages::cannotUseTemplate(shown, e, true));
    } catch (const std::system_error& e) {
        view_.tell(messages::cannotReadTemplate(shown, reasonOf(e.code()), true));
    }
    return std::nullopt;
}

void DesignPresenter::chooseBookTemplate() {
    guarded([&] {
        if (bookTemplate_) {
            const Answer answer = view_.ask({messages::askTemplate(shownPath(*bookTemplate_)),
                                             {Answer::Choose, Answer::NoTemplate, Answer::Cancel},
                                             Answer::Choose,
                                             Answer::Cancel});
            if (answer == Answer::NoTemplate) {
                keepBookTemplate(std::nullopt);
                return true;
            }
            if (answer != Answer::Choose) {
                return false;
            }
        }
        std::optional<fs::path> file = view_.chooseFileToOpen(FileKind::BookTemplate);
        if (!file) {
            return false;
        }
        file = absolutePath(*file);
        // Tried now, so a file that cannot be a template is told of when it is chosen, not
        // when the book is next written: what refuses a template is in the template alone, so
        // an empty book tries it as well as the sheet's would.
        const std::string shown = shownPath(*file);
        try {
            docx::wordBookInTemplate(platform::readWholeFile(*file, docx::kTemplateLimit),
                                     utf8Path(file->filename()), design::doc::Document{}, {}, {});
        } catch (const docx::TemplateError& e) {
            view_.tell(messages::cannotUseTemplate(shown, e, false));
            return false;
        } catch (const std::system_error& e) {
            view_.tell(messages::cannotReadTemplate(shown, reasonOf(e.code()), false));
            return false;
        }
        keepBookTemplate(file);
        return true;
    });
}

void DesignPresenter::keepBookTemplate(const std::optional<fs::path>& file) {
    bookTemplate_ = file;
    view_.showStatus(messages::templateChosen(file ? shownPath(*file) : std::string()));
    try {
        fs::create_directories(dataFolder_);
        saveBookTemplate(file, dataFolder_);
    } catch (const platform::WriteFailure& f) {
        view_.tell(messages::cannotKeepTemplate(escapeControls(f.path()), reasonOf(f.reason())));
    } catch (const std::system_error& e) {
        view_.tell(messages::cannotKeepTemplate(shownPath(dataFolder_), reasonOf(e.code())));
    }
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
    design::BookOptions options = design::bookOptions(sheet_.dam(), design::today(), true);
    if (sheet_.isDike() && !evaluation_.damError) {
        // A dike's block is not a dam's: its title block as the dike reads it.
        options.title = evaluation_.dikeBlock.title;
        if (options.title.date.empty()) {
            options.title.date = design::today();
        }
    }
    return options;
}

design::doc::Document DesignPresenter::bookDocumentNow(const design::BookOptions& options) const {
    if (sheet_.isDike()) {
        return design::dikeBookDocument(*evaluation_.sections, evaluation_.computed->failures,
                                        options.title, evaluation_.dikeBlock.worked);
    }
    return design::bookDocument(*evaluation_.computed, options);
}

}  // namespace kelnor::sheet
