#pragma once

// What the design-conditions window does, once for every toolkit: the title, the 文件 and 编辑
// commands, the questions before changes are lost, the calculation book written beside the
// conditions file and opened, the autosave and what is shown at start, and every failure told
// in Chinese. A window only maps its widgets to a DesignView and its menus to the commands.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "kelnor/design/drawing.h"
#include "kelnor/design/method.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/sheet/book_info.h"
#include "kelnor/sheet/book_printing.h"
#include "kelnor/sheet/clipboard.h"
#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/rays_form.h"
#include "kelnor/sheet/sheet.h"

namespace kelnor::sheet {

// The window's name, before " - " and the file name.
inline constexpr std::string_view kDesignTitle = "坝顶高程计算（规范方法）";
// The window's name while it holds a dike's sections.
inline constexpr std::string_view kDikeTitle = "堤顶高程计算（GB 50286）";
// The file name of a sheet that has none yet.
inline constexpr std::string_view kUntitled = "未命名";
// The file name a save box proposes for a sheet that has none.
inline constexpr std::u8string_view kUntitledCsv = u8"未命名.csv";
// Follows the file name while the sheet has changes not saved.
inline constexpr std::string_view kUnsavedMark = "*";
// Ends the book's file name: dam.csv gives dam-计算书.html, or dam-计算书.pdf printed.
inline constexpr std::string_view kBookSuffix = "-计算书";

// An answer to a question, each a button of the question's box.
enum class Answer { Save, Discard, Replace, Cancel, Stop, Choose, NoTemplate };

// The button's caption: 保存, 不保存, 替换, 取消, 停止, 选择模板…, 不用模板.
std::string_view answerCaption(Answer answer);

struct Question {
    std::string text;
    std::vector<Answer> answers;  // the buttons, in order
    Answer byDefault;             // what Enter chooses
    Answer onEscape;              // what Escape and the box's close button choose
};

// The kind of file a file box asks for, for its filter: "*.csv" or "*.html".
enum class FileKind { Conditions, Book, PrintedBook, WordBook, BookTemplate };

// How a file box names a kind of file: "CSV" and the extension "csv"; HTML, PDF, a Word
// document, a Word document or template (docx and dotx).
struct FileType {
    std::string_view description;
    std::string_view extension;        // without the dot; a file saved takes it
    std::string_view alsoExtension{};  // another the box offers to open; may be empty
};
FileType fileType(FileKind kind);

// The window's commands, each an entry of its menus.
enum class Command {
    NewSheet,
    NewDike,
    Open,
    Save,
    SaveAs,
    Book,
    PrintedBook,
    WordBook,
    CancelPrint,
    BookInfo,
    BookTemplate,
    Exit,
    Undo,
    Redo,
    Copy,
    CopyResults,
    Paste,
    Clear,
    AddCondition,
    AddEarthquake,
    RemoveConditions,
    DuplicateCondition,
    MoveLeft,
    MoveRight,
    FetchRays,
    Help,
};

// A command's keys, the same on both systems (the Qt window adds the desktop's own keys for
// redo where they differ).
enum class Key { None, CtrlN, CtrlO, CtrlS, CtrlB, CtrlZ, CtrlY, CtrlC, CtrlV, Delete, F1, F4 };

// How a menu shows `key`: "Ctrl+N", "Del", "F1"; empty for none.
std::string_view keyText(Key key);

struct MenuEntry {
    Command command;
    std::string_view caption;  // with its access key: "新建(&N)"; "…" where a box follows
    Key key = Key::None;
    bool separatorBefore = false;
    std::string_view dikeCaption{};  // while the sheet holds a dike's sections; empty: caption
};

// The entry's caption for a sheet of `code`: a dike's sections are added, removed and moved up
// and down where a dam's conditions are moved left and right.
std::string_view captionFor(const MenuEntry& entry, DesignCode code);

struct Menu {
    std::string_view caption;  // "文件(&F)"
    std::vector<MenuEntry> entries;
};

// 文件, 编辑 and 帮助, in order.
const std::vector<Menu>& designMenus();

// Where the user is in the conditions grid when a command is given; places are the sheet's:
// row a condition, column a field.
struct GridSelection {
    std::optional<Place> current;    // the current cell
    std::optional<CellRange> range;  // the rectangle around the selected cells
};

// A window as the presenter sees it; texts and paths' names in UTF-8.
class DesignView {
  public:
    virtual ~DesignView() = default;

    virtual void setTitle(const std::string& title) = 0;
    // Shows the presenter's sheet() again: the cells, the rows and their count, and the dam
    // panel's entries.
    virtual void showSheet() = 0;
    // Shows the presenter's evaluation() again: each condition's results, failure and
    // warnings, the governing one and the summary line, and the dam panel's settled crest
    // (damEntries and settledLines of kelnor/sheet/dam_panel.h).
    virtual void showResults() = 0;
    // Draws the presenter's picture() again.
    virtual void showPicture() = 0;
    // Brings the cell, the condition or the dam's value where an undo or redo changed the sheet
    // into view.
    virtual void showPlace(const Place& place) = 0;

    // Shows `message` titled as the window and returns once the user has dismissed it.
    virtual void tell(const std::string& message) = 0;
    // Asks `question` and returns the button chosen.
    virtual Answer ask(const Question& question) = 0;
    // The file of `kind` the user chose to open; nothing when the box was cancelled.
    virtual std::optional<std::filesystem::path> chooseFileToOpen(FileKind kind) = 0;
    // Where the user chose to write a file of `kind`, the box proposing `suggested` (a name,
    // or a path beside the conditions file); nothing when cancelled. The box itself asks
    // before an existing file is replaced.
    virtual std::optional<std::filesystem::path> chooseFileToSave(
        FileKind kind, const std::filesystem::path& suggested) = 0;
    // Hands `file` to the viewer the user has chosen for it, without waiting; the system's
    // reason when none could be started.
    virtual std::error_code openDocument(const std::filesystem::path& file) = 0;

    virtual void setClipboardText(const std::string& text) = 0;
    // The clipboard's text; empty when it holds none.
    virtual std::string clipboardText() = 0;

    // Shows a box of `form`'s captioned lines (each with its hint greyed while empty, and
    // under them what form.live says of their texts, said again as they change) with 确定 and
    // 取消; returns the lines' texts as the user left them, in order; nothing when cancelled.
    // The 计算书信息 box and the rays of an equivalent fetch.
    virtual std::optional<std::vector<std::string>> editLines(const LinesForm& form) = 0;
    // The status line's text: what is being made in the background, how it ended, what was
    // restored at start; empty clears it. While presenter.printing(), the line offers to stop.
    virtual void showStatus(const std::string& text) = 0;
    // Called on the printing thread when the book's print has ended: the window then calls
    // presenter.finishPrint() on its own thread, once.
    virtual void printEnded() = 0;

    // Closes the window, which ends the program.
    virtual void closeWindow() = 0;
};

// The book written for the conditions file `conditions`: beside it, its name without ".csv"
// (in any case) followed by kBookSuffix and the extension of `kind` (Book or PrintedBook).
std::filesystem::path bookPathFor(const std::filesystem::path& conditions,
                                  FileKind kind = FileKind::Book);

class DesignPresenter {
  public:
    // `dataFolder` is the user's data folder, where the autosave lies; it is made when first
    // written to.
    // `programFolder` holds the help text.
    DesignPresenter(DesignView& view, std::filesystem::path dataFolder,
                    std::filesystem::path programFolder = {});
    // Stops a print still running.
    ~DesignPresenter();

    DesignPresenter(const DesignPresenter&) = delete;
    DesignPresenter& operator=(const DesignPresenter&) = delete;

    // Fills the window at start. The file the user named on the command line comes first: it
    // is what was asked for, and an autosave left by an earlier session is then not read and
    // stays as it is until this session's own changes are autosaved. Without one (or where it
    // cannot be read) the autosaved sheet is restored, untitled and marked unsaved, so closing
    // asks to save it; without that the first-start sheet is shown.
    void start(const std::optional<std::filesystem::path>& commandLineFile);

    const Sheet& sheet() const { return sheet_; }
    const SheetEvaluation& evaluation() const { return evaluation_; }
    // The freeboard sketch of the governing condition; for a dike, its long section.
    const design::Drawing& picture() const { return picture_; }
    // The conditions file; nothing for a sheet never saved.
    const std::optional<std::filesystem::path>& file() const { return file_; }
    std::string title() const;

    // Carries out a menu's `command` where the user is in the grid. The cell to make current
    // afterwards where it moved (a condition moved takes its cell along, one added is entered).
    std::optional<Place> perform(Command command, const GridSelection& selection);
    // Whether `command` can be given now: undo and redo need something to take back.
    bool enabled(Command command) const;

    // Opens the help text beside the program; tells where it is missing.
    void showHelp();

    // --- 文件 -------------------------------------------------------------------------------
    // Each asks first whether to save a changed sheet; 取消 keeps everything as it is.
    void newSheet();
    // 新建堤防: a dike's sheet with one empty section.
    void newDike();
    void open();
    // Opens `file` without asking for it (a file dropped on the window): true when opened.
    bool openFile(const std::filesystem::path& file);
    // True when the sheet was saved; false when the user cancelled or the write failed.
    bool save();
    bool saveAs();
    // Writes the calculation book beside the conditions file and opens it: the HTML page
    // (Book), the Word document (WordBook) in the book template where one is chosen, or the
    // page printed to PDF by a browser (PrintedBook) in the background, the status line saying
    // so, until the window calls finishPrint(). A second print while one runs is refused with a
    // message. The title block is the sheet's, dated today where it gives no date. A template
    // that cannot be used is told of and nothing is written; its placeholders no value fills
    // are named on the status line.
    void writeBook(FileKind kind = FileKind::Book);
    // Whether the book is being printed to PDF.
    bool printing() const { return printing_.running(); }
    // Once the view's printEnded(): the PDF opened, or why there is none told (a stop asked for
    // on the status line only).
    void finishPrint();
    // 停止生成 PDF: the browser is stopped with all it started; the PDF that was there stays.
    void cancelPrint();
    // 计算书信息: asks for the sheet's title block until its date is one or the box is
    // cancelled, puts it into the sheet as one step of undo, and keeps it in the data folder
    // as the title block of the next new sheet.
    void editBookInfo();
    // The rays of condition `row`'s equivalent fetch, in their box; given, they replace a
    // typed fetch in the same step.
    void editRays(std::size_t row);
    // 计算书模板…: the institute's Word document (or template) whose cover and sign-off pages
    // the Word book follows. Where one is chosen, first asks whether to choose another or use
    // none. A file that cannot be used as a template is told of and the choice stays as it
    // was; the one chosen is kept in the data folder across sessions.
    void chooseBookTemplate();
    const std::optional<std::filesystem::path>& bookTemplate() const { return bookTemplate_; }
    // The title block a new sheet starts with: the one typed last.
    const BookInfo& bookInfo() const { return bookInfo_; }
    // The book's options for the sheet as it stands: its title block (today's date where it
    // gives none), its dam's values and the sketch.
    design::BookOptions bookOptionsNow() const;
    // Whether the window may close (the window's close button): while printing, asks whether
    // to stop the print; then asks 保存/不保存/取消 for a changed sheet. When it may, the session's
    // autosave is no longer needed and is removed.
    bool mayClose();
    // 退出: mayClose, then the window closes.
    void exit();

    // --- 编辑 -------------------------------------------------------------------------------
    void undo();
    void redo();
    void copy(const CellRange& range);
    // Empties the cells of `range` (cut to the sheet), as one step of undo: the Delete key.
    void clearCells(const CellRange& range);
    void copyResults();
    // Pastes the clipboard's text with its first cell at (row, column).
    void paste(std::size_t row, std::size_t column);
    void insertCondition(std::size_t at);
    void removeConditions(std::size_t first, std::size_t count);
    void duplicateCondition(std::size_t row);
    void moveCondition(std::size_t from, std::size_t to);
    void setCell(std::size_t row, std::size_t column, const std::string& text);
    // A cell's editor was committed: its text set, and the typing ended, so each committed
    // editor is one step of undo of its own.
    void commitCell(std::size_t row, std::size_t column, const std::string& text);
    // Sets a value of the dam's panel (an index into design::damFields()).
    void setDamText(std::size_t field, const std::string& text);
    void endTyping();
    // 添加地震情况: a copy of condition `from` (normally the normal storage level's) right
    // after it, in the earthquake condition, its surge left empty for the user to type; the
    // place of the surge cell. Earthquake values copied from an earthquake condition are kept
    // but for the surge.
    Place addEarthquake(std::size_t from);

    // Writes the autosave when the sheet changed since the last one (the window's timer calls
    // it). A sheet with nothing unsaved needs none: the session's autosave is removed. Never
    // tells anything: a failed autosave is tried again next time. True when the autosave is
    // up to date.
    bool autosaveNow();

  private:
    template <typename Command>
    bool guarded(Command&& command);
    // Whether the current sheet may be left: asked to save when it has changes.
    bool mayLeave();
    // Whether a print running may be stopped; stopped when it may.
    bool mayStopPrinting();
    void showBook(const std::filesystem::path& book);
    // The Word book of the sheet as it stands, in the book template where one is chosen;
    // nothing where the template cannot be used, which is told.
    std::optional<docx::TemplatedBook> wordBook();
    // The book of the sheet as it stands: a dam's or a dike's.
    design::doc::Document bookDocumentNow(const design::BookOptions& options) const;
    void keepBookTemplate(const std::optional<std::filesystem::path>& file);
    bool saveTo(const std::filesystem::path& file);
    bool load(const std::filesystem::path& file);
    void show(Sheet sheet, std::optional<std::filesystem::path> file);
    // Computes the sheet again and shows it, its results, the picture and the title.
    void changed();
    // Carries out a change to the sheet as one guarded command, then re-evaluates.
    void edit(const std::function<void()>& change);
    void undone(const std::optional<Place>& place);
    void removeAutosave();
    // The dam's values of a new sheet: none but the title block typed last.
    design::DamTexts newDam() const;
    // The first condition in normal operation; the first one where none is.
    std::size_t firstNormal() const;

    DesignView& view_;
    std::filesystem::path dataFolder_;
    std::filesystem::path programFolder_;
    Sheet sheet_;
    std::optional<std::filesystem::path> file_;
    SheetEvaluation evaluation_;
    design::Drawing picture_;
    BookInfo bookInfo_;
    std::optional<std::filesystem::path> bookTemplate_;
    // The autosave file holds this session's sheet (written or restored by it), so it may be
    // removed once no longer needed; an earlier session's is left alone.
    bool autosaveOurs_ = false;
    // Last: stopped before anything it tells the view of is gone.
    BookPrinting printing_;
};

}  // namespace kelnor::sheet
