#include "kelnor/sheet/design_presenter.h"

#include <algorithm>
#include <functional>

#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "design_messages.h"
#include "kelnor/design/book.h"
#include "kelnor/design/long_section.h"
#include "kelnor/design/wording.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/platform/program_folder.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"
#include "presenter_support.h"

namespace kelnor::sheet {

namespace fs = std::filesystem;

namespace {}  // namespace

std::string_view answerCaption(Answer answer) {
    using enum Answer;
    static constexpr Word<Answer> kCaptions[] = {
        {Save, "保存"}, {Discard, "不保存"},   {Replace, "替换"},       {Cancel, "取消"},
        {Stop, "停止"}, {Choose, "选择模板…"}, {NoTemplate, "不用模板"}};
    return wordFor(answer, kCaptions);
}

FileType fileType(FileKind kind) {
    switch (kind) {
        case FileKind::Conditions:
            return {"CSV", "csv"};
        case FileKind::Book:
            break;
        case FileKind::PrintedBook:
            return {"PDF", "pdf"};
        case FileKind::WordBook:
            return {"Word 文档", "docx"};
        case FileKind::BookTemplate:
            return {"Word 文档或模板", "docx", "dotx"};
    }
    return {"HTML", "html"};
}

fs::path bookPathFor(const fs::path& conditions, FileKind kind) {
    std::string name = utf8Path(conditions.filename());
    if (endsWithNoCase(name, ".csv")) {
        name.resize(name.size() - 4);
    }
    name += kBookSuffix;
    name += '.';
    name += fileType(kind).extension;
    return conditions.parent_path() / pathFromUtf8(name);
}

std::string_view keyText(Key key) {
    using enum Key;
    static constexpr Word<Key> kTexts[] = {{None, ""},        {CtrlN, "Ctrl+N"}, {CtrlO, "Ctrl+O"},
                                           {CtrlS, "Ctrl+S"}, {CtrlB, "Ctrl+B"}, {CtrlZ, "Ctrl+Z"},
                                           {CtrlY, "Ctrl+Y"}, {CtrlC, "Ctrl+C"}, {CtrlV, "Ctrl+V"},
                                           {Delete, "Del"},   {F1, "F1"},        {F4, "F4"}};
    return wordFor(key, kTexts);
}

const std::vector<Menu>& designMenus() {
    using enum Command;
    static const std::vector<Menu> kMenus = {
        {"文件(&F)",
         {{NewSheet, "新建(&N)", Key::CtrlN},
          {NewDike, "新建堤防(&D)"},
          {Open, "打开(&O)…", Key::CtrlO},
          {Save, "保存(&S)", Key::CtrlS},
          {SaveAs, "另存为(&A)…"},
          {Book, "计算书(&B)", Key::CtrlB, true},
          {PrintedBook, "计算书 PDF(&P)"},
          {WordBook, "保存为 Word（.docx）(&W)…"},
          {CancelPrint, "停止生成 PDF(&T)"},
          {BookInfo, "计算书信息(&I)…"},
          {BookTemplate, "计算书模板(&M)…"},
          {Exit, "退出(&X)", Key::None, true}}},
        {"编辑(&E)",
         {{Undo, "撤销(&U)", Key::CtrlZ},
          {Redo, "重做(&R)", Key::CtrlY},
          {Copy, "复制(&C)", Key::CtrlC, true},
          {CopyResults, "复制成果"},
          {Paste, "粘贴(&P)", Key::CtrlV},
          {Clear, "清除(&D)", Key::Delete},
          {AddCondition, "添加工况", Key::None, true, "添加断面"},
          {AddEarthquake, "添加地震情况"},
          {RemoveConditions, "删除工况", Key::None, false, "删除断面"},
          {DuplicateCondition, "复制工况", Key::None, false, "复制断面"},
          {MoveLeft, "左移", Key::None, false, "上移"},
          {MoveRight, "右移", Key::None, false, "下移"},
          {FetchRays, "等效吹程射线(&F)…", Key::F4, true}}},
        {"帮助(&H)", {{Help, "参数说明", Key::F1}}},
    };
    return kMenus;
}

std::string_view captionFor(const MenuEntry& entry, DesignCode code) {
    return code == DesignCode::Dike && !entry.dikeCaption.empty() ? entry.dikeCaption
                                                                  : entry.caption;
}

DesignPresenter::DesignPresenter(DesignView& view, fs::path dataFolder, fs::path programFolder)
    : view_(view),
      dataFolder_(std::move(dataFolder)),
      programFolder_(std::move(programFolder)),
      printing_([&view] { view.printEnded(); }) {}

DesignPresenter::~DesignPresenter() = default;

bool DesignPresenter::enabled(Command command) const {
    switch (command) {
        case Command::Undo:
            return sheet_.canUndo();
        case Command::Redo:
            return sheet_.canRedo();
        case Command::CancelPrint:
            return printing_.running();
        case Command::AddEarthquake:
            // A dike has no earthquake condition.
            return !sheet_.isDike();
        default:
            return true;
    }
}

std::optional<Place> DesignPresenter::perform(Command command, const GridSelection& selection) {
    const std::optional<std::size_t> current =
        selection.current ? std::optional(selection.current->row) : std::nullopt;
    switch (command) {
        case Command::NewSheet:
        case Command::NewDike:
        case Command::Open:
            (command == Command::NewSheet  ? newSheet()
             : command == Command::NewDike ? newDike()
                                           : open());
            return Place{0, 0};
        case Command::Save:
        case Command::SaveAs:
            (command == Command::Save ? save() : saveAs());
            break;
        case Command::Book:
        case Command::PrintedBook:
        case Command::WordBook:
            writeBook(command == Command::Book          ? FileKind::Book
                      : command == Command::PrintedBook ? FileKind::PrintedBook
                                                        : FileKind::WordBook);
            break;
        case Command::BookTemplate:
            chooseBookTemplate();
            break;
        case Command::CancelPrint:
            cancelPrint();
            break;
        case Command::BookInfo:
            editBookInfo();
            break;
        case Command::Exit:
            exit();
            break;
        case Command::Undo:
        case Command::Redo:
            (command == Command::Undo ? undo() : redo());
            break;
        case Command::Copy:
            if (selection.range) {
                copy(*selection.range);
            }
            break;
        case Command::CopyResults:
            copyResults();
            break;
        case Command::Paste:
            // At the current cell, else as conditions after the last.
            if (selection.current) {
                paste(selection.current->row, selection.current->column.value_or(0));
            } else {
                paste(sheet_.size(), 0);
            }
            break;
        case Command::Clear:
            if (selection.range) {
                clearCells(*selection.range);
            }
            break;
        case Command::AddCondition: {
            // After the current condition, else at the end; its first cell is entered.
            const std::size_t at = current ? *current + 1 : sheet_.size();
            insertCondition(at);
            return Place{at, 0};
        }
        case Command::AddEarthquake:
            if (sheet_.isDike()) {
                break;
            }
            // From the current condition, else from the first normal-operation one.
            if (current) {
                return addEarthquake(*current);
            }
            if (sheet_.size() > 0) {
                return addEarthquake(firstNormal());
            }
            break;
        case Command::RemoveConditions: {
            // The conditions the selection spans, else the current one; the cell then stays
            // where it was, on the condition that moved up into the place.
            const bool spans = selection.range && selection.range->rowCount > 0;
            if (!spans && !current) {
                break;
            }
            const std::size_t first = spans ? selection.range->firstRow : *current;
            removeConditions(first, spans ? selection.range->rowCount : 1);
            if (sheet_.size() == 0) {
                break;
            }
            const auto column = selection.current ? selection.current->column : std::nullopt;
            return Place{std::min(first, sheet_.size() - 1), column};
        }
        case Command::DuplicateCondition:
            if (current) {
                duplicateCondition(*current);
                return Place{*current + 1, selection.current->column};
            }
            break;
        case Command::MoveLeft:
        case Command::MoveRight: {
            if (!selection.current) {
                break;
            }
            const std::size_t from = selection.current->row;
            const bool left = command == Command::MoveLeft;
            if ((left && from == 0) || (!left && from + 1 >= sheet_.size())) {
                break;
            }
            const std::size_t to = left ? from - 1 : from + 1;
            moveCondition(from, to);
            return Place{to, selection.current->column};
        }
        case Command::FetchRays:
            if (current) {
                editRays(*current);
                return Place{*current, *columnIndex("fetch_rays", sheet_.code())};
            }
            break;
        case Command::Help:
            showHelp();
            break;
    }
    return std::nullopt;
}

void DesignPresenter::showHelp() {
    guarded([&] {
        const platform::HelpFile file = platform::helpFile(programFolder_);
        const fs::path& help = file.path;
        if (!file.present) {
            view_.tell(messages::missingHelp(shownPath(help)));
            return false;
        }
        if (const std::error_code failed = view_.openDocument(help)) {
            view_.tell(messages::cannotShowHelp(shownPath(help),
                                                reasonOf(failed, utf8Path(help.filename()))));
            return false;
        }
        return true;
    });
}

std::string DesignPresenter::title() const {
    std::string out(sheet_.isDike() ? kDikeTitle : kDesignTitle);
    out += " - ";
    out += file_ ? escapeControls(utf8Path(file_->filename())) : std::string(kUntitled);
    if (sheet_.modified()) {
        out += kUnsavedMark;
    }
    return out;
}

void DesignPresenter::start(const std::optional<fs::path>& commandLineFile) {
    guarded([&] {
        // The book information of the last session; where it cannot be read, none, and it is
        // written again only when the user gives one.
        try {
            bookInfo_ = loadBookInfo(dataFolder_);
        } catch (const std::exception&) {
            bookInfo_ = {};
        }
        try {
            bookTemplate_ = loadBookTemplate(dataFolder_);
        } catch (const std::exception&) {
            bookTemplate_.reset();
        }
        return true;
    });
    guarded([&] {
        if (commandLineFile && load(*commandLineFile)) {
            return true;
        }
        try {
            if (std::optional<Autosaved> autosaved = restoreAutosave(dataFolder_)) {
                // The restored sheet has changes never saved: as one step it is the sheet,
                // with nothing before it to undo to. It still belongs to its file, so 保存
                // writes them there.
                Sheet restored;
                restored.replaceAll(std::move(autosaved->content));
                restored.clearHistory();
                restored.markAutosaved();
                autosaveOurs_ = true;
                show(std::move(restored), autosaved->owner);
                view_.showStatus(messages::autosaveRestored(
                    autosaved->owner ? shownPath(autosaved->owner->filename())
                                     : std::string(kUntitled)));
                return true;
            }
        } catch (const csv::TableError& e) {
            view_.tell(messages::autosaveUnreadable(
                shownPath(autosavePath(dataFolder_)),
                messages::tableProblem(e, shownPath(autosavePath(dataFolder_)))));
        } catch (const std::system_error& e) {
            view_.tell(messages::autosaveUnreadable(shownPath(autosavePath(dataFolder_)),
                                                    reasonOf(e.code())));
        }
        show(Sheet(firstStartRows(), newDam()), std::nullopt);
        return true;
    });
}

bool DesignPresenter::mayLeave() {
    if (!sheet_.modified()) {
        return true;
    }
    const std::string name = file_ ? shownPath(file_->filename()) : std::string(kUntitled);
    const Answer answer = view_.ask({messages::askSave(name),
                                     {Answer::Save, Answer::Discard, Answer::Cancel},
                                     Answer::Save,
                                     Answer::Cancel});
    switch (answer) {
        case Answer::Save:
            return save();
        case Answer::Discard:
            return true;
        default:
            break;
    }
    return false;
}

void DesignPresenter::newSheet() {
    guarded([&] {
        if (!mayLeave()) {
            return false;
        }
        removeAutosave();
        show(Sheet(Rows{emptyRow()}, newDam()), std::nullopt);
        return true;
    });
}

void DesignPresenter::newDike() {
    guarded([&] {
        if (!mayLeave()) {
            return false;
        }
        removeAutosave();
        show(Sheet(Rows{emptyRow(DesignCode::Dike)}, newDam(), DesignCode::Dike), std::nullopt);
        return true;
    });
}

void DesignPresenter::open() {
    guarded([&] {
        if (!mayLeave()) {
            return false;
        }
        const std::optional<fs::path> file = view_.chooseFileToOpen(FileKind::Conditions);
        return file && load(*file);
    });
}

bool DesignPresenter::openFile(const fs::path& file) {
    return guarded([&] { return mayLeave() && load(file); });
}

bool DesignPresenter::load(const fs::path& file) {
    // The file is read whole before the sheet is touched, so a file that cannot be read
    // leaves the sheet as it was.
    const std::string shown = shownPath(file);
    OpenedSheet opened;
    try {
        opened = openSheet(file);
    } catch (const std::system_error& e) {
        view_.tell(messages::cannotOpen(shown, reasonOf(e.code())));
        return false;
    } catch (const csv::TableError& e) {
        if (e.kind() == csv::TableErrorKind::ReadFailed) {
            view_.tell(messages::cannotOpen(shown, reasonOf(e.reason())));
            return false;
        }
        if (e.kind() != csv::TableErrorKind::NoRows) {
            view_.tell(messages::notConditions(shown, messages::tableProblem(e, shown)));
            return false;
        }
        // A header alone: the table of a sheet saved empty.
    } catch (const design::DamError& e) {
        view_.tell(messages::notConditions(shown, escapeControls(design::damFailureZh(e))));
        return false;
    }
    removeAutosave();
    // A file of an earlier version carries no title block: the one typed last stands in.
    if (!opened.hasTitleBlock) {
        putTitle(opened.dam, bookInfo_);
    }
    show(Sheet(std::move(opened.rows), std::move(opened.dam), opened.code), absolutePath(file));
    if (!opened.issues.empty()) {
        view_.tell(messages::rowIssues(shown, opened.issues));
    }
    return true;
}

void DesignPresenter::show(Sheet sheet, std::optional<fs::path> file) {
    sheet_ = std::move(sheet);
    file_ = std::move(file);
    changed();
}

bool DesignPresenter::save() {
    return guarded([&] { return file_ ? saveTo(*file_) : saveAs(); });
}

bool DesignPresenter::saveAs() {
    return guarded([&] {
        const fs::path suggested = file_ ? *file_ : fs::path(kUntitledCsv);
        std::optional<fs::path> file = view_.chooseFileToSave(FileKind::Conditions, suggested);
        if (!file) {
            return false;
        }
        if (!file->has_extension()) {
            file->replace_extension(".csv");
        }
        return saveTo(*file);
    });
}

bool DesignPresenter::saveTo(const fs::path& file) {
    try {
        saveSheet(file, sheet_.rows(), sheet_.dam(), sheet_.code());
    } catch (const platform::WriteFailure& f) {
        view_.tell(messages::cannotSave(escapeControls(f.path()), reasonOf(f.reason())));
        return false;
    }
    sheet_.markSaved();
    file_ = absolutePath(file);
    // The saved file holds the work now: the autosave is no longer needed.
    removeAutosave();
    sheet_.markAutosaved();
    view_.setTitle(title());
    return true;
}

design::DamTexts DesignPresenter::newDam() const {
    design::DamTexts dam = design::emptyDamTexts();
    putTitle(dam, bookInfo_);
    return dam;
}

std::size_t DesignPresenter::firstNormal() const {
    const std::size_t operation = *columnIndex("operation");
    for (std::size_t i = 0; i < sheet_.size(); ++i) {
        if (design::operationOf(sheet_.cell(i, operation)) == design::Operation::Normal) {
            return i;
        }
    }
    return 0;
}

Place DesignPresenter::addEarthquake(std::size_t from) {
    const std::size_t surge = *columnIndex("surge");
    guarded([&] {
        Row row = sheet_.rows().at(from);
        const std::size_t operation = *columnIndex("operation");
        const bool wasQuake = design::operationOf(row[operation]) == design::Operation::Earthquake;
        row[operation] = "earthquake";
        row[surge].clear();
        const std::size_t label = *columnIndex("case");
        if (!wasQuake && !isBlank(row[label])) {
            row[label] += "+地震";
        }
        // The annual maximum's factor and A follow the operation unless typed: typed for
        // normal operation, they would not be an earthquake condition's.
        if (!wasQuake) {
            row[*columnIndex("wind_factor")].clear();
            row[*columnIndex("allowance")].clear();
        }
        sheet_.insertConditions(from + 1, Rows{std::move(row)});
        changed();
        return true;
    });
    return Place{from + 1, surge};
}

void DesignPresenter::editRays(std::size_t row) {
    if (row >= sheet_.size()) {
        return;
    }
    const std::size_t rays = *columnIndex("fetch_rays", sheet_.code());
    const std::optional<std::vector<std::string>> texts =
        view_.editLines(raysForm(sheet_.cell(row, rays)));
    if (!texts) {
        return;
    }
    const std::string cell = raysCell(*texts);
    std::vector<std::pair<std::size_t, std::string>> changes{{rays, cell}};
    // The rays give the fetch: a fetch typed beside them would be refused.
    if (!cell.empty()) {
        changes.emplace_back(*columnIndex("fetch", sheet_.code()), "");
    }
    sheet_.setCells(row, changes);
    changed();
}

void DesignPresenter::editBookInfo() {
    guarded([&] {
        BookInfo shown = titleOf(sheet_.dam());
        for (;;) {
            LinesForm form{std::string(kBookInfoTitle), {}, {}};
            for (const BookInfoField& f : bookInfoFields()) {
                form.lines.push_back(
                    {std::string(f.captionZh), shown.*f.value, std::string(f.hintZh)});
            }
            const std::optional<std::vector<std::string>> texts = view_.editLines(form);
            if (!texts) {
                return false;
            }
            std::optional<BookInfo> edited = BookInfo{};
            for (std::size_t i = 0; i < bookInfoFields().size() && i < texts->size(); ++i) {
                (*edited).*bookInfoFields()[i].value = (*texts)[i];
            }
            // Blanks around a name are none of it (the ideographic space included).
            for (const BookInfoField& f : bookInfoFields()) {
                (*edited).*f.value = std::string(trimBlanks((*edited).*f.value));
            }
            // A date that is none is told, and the box comes back with what was typed.
            if (!edited->date.empty() && !design::isBookDate(edited->date)) {
                view_.tell(messages::notADate(escapeControls(edited->date)));
                shown = *edited;
                continue;
            }
            const bool sheetChanged = *edited != titleOf(sheet_.dam());
            if (sheetChanged) {
                sheet_.setDamTexts(titleTexts(*edited));
                changed();
            }
            if (*edited == bookInfo_) {
                return true;
            }
            bookInfo_ = *edited;
            break;
        }
        try {
            fs::create_directories(dataFolder_);
            saveBookInfo(bookInfo_, dataFolder_);
        } catch (const platform::WriteFailure& f) {
            view_.tell(
                messages::cannotKeepBookInfo(escapeControls(f.path()), reasonOf(f.reason())));
        } catch (const std::filesystem::filesystem_error& e) {
            view_.tell(messages::cannotKeepBookInfo(shownPath(e.path1()), reasonOf(e.code())));
        }
        return true;
    });
}

bool DesignPresenter::mayClose() {
    return guarded([&] {
        if (!mayStopPrinting() || !mayLeave()) {
            return false;
        }
        removeAutosave();
        return true;
    });
}

void DesignPresenter::exit() {
    if (mayClose()) {
        view_.closeWindow();
    }
}

void DesignPresenter::undo() {
    guarded([&] {
        undone(sheet_.undo());
        return true;
    });
}

void DesignPresenter::redo() {
    guarded([&] {
        undone(sheet_.redo());
        return true;
    });
}

void DesignPresenter::undone(const std::optional<Place>& place) {
    if (place) {
        changed();
        view_.showPlace(*place);
    }
}

void DesignPresenter::copy(const CellRange& range) {
    guarded([&] {
        view_.setClipboardText(copyCells(sheet_, range));
        return true;
    });
}

void DesignPresenter::clearCells(const CellRange& range) {
    const std::size_t rows =
        std::min(range.rowCount, sheet_.size() - std::min(range.firstRow, sheet_.size()));
    const std::size_t width = columnCount(sheet_.code());
    const std::size_t columns =
        std::min(range.columnCount, width - std::min(range.firstColumn, width));
    if (rows == 0 || columns == 0) {
        return;
    }
    edit([&] {
        sheet_.setBlock(range.firstRow, range.firstColumn,
                        Block(rows, std::vector<std::string>(columns)));
    });
}

void DesignPresenter::copyResults() {
    guarded([&] {
        // The conditions' results, then the settled crest under them.
        std::string text = sheet::copyResults(sheet_.rows(), evaluation_);
        const std::string settled = copySettled(evaluation_);
        if (!settled.empty()) {
            text += "\r\n" + settled;
        }
        view_.setClipboardText(text);
        return true;
    });
}

void DesignPresenter::paste(std::size_t row, std::size_t column) {
    guarded([&] {
        const std::string text = view_.clipboardText();
        if (text.empty()) {
            return false;
        }
        sheet::paste(sheet_, row, column, text);
        changed();
        return true;
    });
}

void DesignPresenter::edit(const std::function<void()>& change) {
    guarded([&] {
        change();
        changed();
        return true;
    });
}

void DesignPresenter::insertCondition(std::size_t at) {
    edit([&] { sheet_.insertConditions(at); });
}

void DesignPresenter::removeConditions(std::size_t first, std::size_t count) {
    edit([&] { sheet_.removeConditions(first, count); });
}

void DesignPresenter::duplicateCondition(std::size_t row) {
    edit([&] { sheet_.duplicateCondition(row); });
}

void DesignPresenter::moveCondition(std::size_t from, std::size_t to) {
    edit([&] { sheet_.moveCondition(from, to); });
}

void DesignPresenter::setCell(std::size_t row, std::size_t column, const std::string& text) {
    guarded([&] {
        const std::uint64_t before = sheet_.revision();
        sheet_.setCell(row, column, text);
        if (sheet_.revision() != before) {
            changed();
        }
        return true;
    });
}

void DesignPresenter::commitCell(std::size_t row, std::size_t column, const std::string& text) {
    setCell(row, column, text);
    endTyping();
}

void DesignPresenter::setDamText(std::size_t field, const std::string& text) {
    guarded([&] {
        const std::uint64_t before = sheet_.revision();
        sheet_.setDamText(field, text);
        if (sheet_.revision() != before) {
            changed();
        }
        return true;
    });
}

void DesignPresenter::endTyping() {
    sheet_.endTyping();
}

void DesignPresenter::changed() {
    evaluation_ = evaluate(sheet_, &evaluation_);
    picture_ = sheet_.isDike()
                   ? design::longSectionDrawing(design::longSectionOf(*evaluation_.sections))
                   : design::freeboardDrawing(*evaluation_.computed, evaluation_.settlement.settled,
                                              evaluation_.check);
    view_.showSheet();
    view_.showResults();
    view_.showPicture();
    view_.setTitle(title());
}

bool DesignPresenter::autosaveNow() {
    // Called from a timer: nothing here may be told or thrown.
    try {
        if (!sheet_.dirtySinceAutosave()) {
            return true;
        }
        if (!sheet_.modified()) {
            removeAutosave();
            sheet_.markAutosaved();
            return true;
        }
        std::error_code error;
        fs::create_directories(dataFolder_, error);
        autosave(sheet_, dataFolder_, file_);
        autosaveOurs_ = true;
        return true;
    } catch (...) {
        return false;
    }
}

void DesignPresenter::removeAutosave() {
    if (autosaveOurs_) {
        removeAutosaveOf(dataFolder_);
        autosaveOurs_ = false;
    }
}

}  // namespace kelnor::sheet
