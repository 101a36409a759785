#include "sheet_model.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "desktop.h"
#include "kelnor/design/wording.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"

namespace {

namespace sheet = kelnor::sheet;
namespace design = kelnor::design;

QColor qt(kelnor::design::Rgb c) {
    return {c.r, c.g, c.b};
}

// An editor's entries, each holding the value the cell takes.
void fillEntries(QComboBox& box, const sheet::CellEditor& editor) {
    for (const sheet::EditorEntry& e : editor.entries) {
        box.addItem(text(e.shown), text(e.value));
    }
}

}  // namespace

// --- SheetModel ------------------------------------------------------------------------------

SheetModel::SheetModel(sheet::DesignPresenter& presenter, QObject* parent)
    : QAbstractTableModel(parent), presenter_(presenter) {
    shownRows_ = rowCount();
    shownColumns_ = columnCount();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet::gridRows(presenter_.sheet()));
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet::gridColumns(presenter_.sheet()));
}

sheet::GridCell SheetModel::cellOf(const QModelIndex& index) const {
    return sheet::gridCell(presenter_.sheet(), std::size_t(index.row()),
                           std::size_t(index.column()));
}

QModelIndex SheetModel::indexOf(std::size_t condition, std::size_t field) const {
    const auto [row, column] = sheet::screenOf(presenter_.sheet(), condition, field);
    return index(static_cast<int>(row), static_cast<int>(column));
}

QVariant resultData(const sheet::ResultCell& cell, int role) {
    switch (role) {
        case Qt::DisplayRole:
            return cell.text.empty() ? QVariant() : QVariant(text(cell.text));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            switch (cell.tone) {
                case sheet::ResultTone::Failed:
                    return QBrush(qt(sheet::kFailedTextColour));
                case sheet::ResultTone::Warned:
                    return QBrush(qt(sheet::kWarnedTextColour));
                case sheet::ResultTone::Plain:
                    break;
            }
            return {};
        case Qt::FontRole: {
            if (!cell.governing) {
                return {};
            }
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::ToolTipRole:
            return cell.tip.empty() ? QVariant() : QVariant(text(cell.tip));
        default:
            return {};
    }
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const sheet::GridCell at = cellOf(index);
    if (at.condition >= presenter_.sheet().size()) {
        return {};
    }
    if (at.result) {
        return role == Qt::EditRole ? QVariant()
                                    : resultData(sheet::resultCell(presenter_.evaluation(),
                                                                   at.condition, *at.result),
                                                 role);
    }
    if (role == Qt::EditRole) {
        return text(presenter_.sheet().cell(at.condition, *at.field));
    }
    const sheet::ConditionCell cell =
        sheet::conditionCell(presenter_.sheet(), presenter_.evaluation(), at.condition, *at.field);
    switch (role) {
        case Qt::DisplayRole:
            return text(cell.text);
        case Qt::ForegroundRole:
            return cell.isDefault ? QVariant(QBrush(qt(sheet::kDefaultTextColour))) : QVariant();
        case Qt::BackgroundRole:
            return cell.atFault ? QVariant(QBrush(qt(sheet::kFaultBackground))) : QVariant();
        case Qt::ToolTipRole:
            return cell.tip.empty() ? QVariant() : QVariant(text(cell.tip));
        default:
            return {};
    }
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    const sheet::GridCell at = cellOf(index);
    if (!at.field) {
        return false;
    }
    // Only a committed editor sets a cell. The presenter shows the sheet again, and refresh()
    // tells the views.
    presenter_.commitCell(at.condition, *at.field, value.toString().toStdString());
    return true;
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // A dike's results beside its fields are read, not typed.
    const Qt::ItemFlags read = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return cellOf(index).field ? read | Qt::ItemIsEditable : read;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    const sheet::Sheet& sheet = presenter_.sheet();
    return text(
        orientation == Qt::Vertical
            ? sheet::gridRowHeader(sheet, presenter_.evaluation(), std::size_t(section))
            : sheet::gridColumnHeader(sheet, presenter_.evaluation(), std::size_t(section)));
}

void SheetModel::refresh() {
    if (rowCount() != shownRows_ || columnCount() != shownColumns_) {
        beginResetModel();
        shownRows_ = rowCount();
        shownColumns_ = columnCount();
        endResetModel();
        return;
    }
    if (shownRows_ > 0 && shownColumns_ > 0) {
        emit dataChanged(index(0, 0), index(shownRows_ - 1, shownColumns_ - 1));
        emit headerDataChanged(Qt::Horizontal, 0, shownColumns_ - 1);
        emit headerDataChanged(Qt::Vertical, 0, shownRows_ - 1);
    }
}

// --- ResultsModel ----------------------------------------------------------------------------

ResultsModel::ResultsModel(const sheet::DesignPresenter& presenter, QObject* parent)
    : QAbstractTableModel(parent), presenter_(presenter) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || presenter_.sheet().isDike()
               ? 0
               : static_cast<int>(sheet::resultRowCount());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || presenter_.sheet().isDike()
               ? 0
               : static_cast<int>(presenter_.evaluation().outcomes.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    return resultData(sheet::resultCell(presenter_.evaluation(), std::size_t(index.column()),
                                        std::size_t(index.row())),
                      role);
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return std::size_t(section) < sheet::resultRowCount()
                   ? text(sheet::resultRowName(std::size_t(section)))
                   : QVariant();
    }
    return text(sheet::conditionHeader(presenter_.evaluation(), std::size_t(section)));
}

void ResultsModel::refresh() {
    beginResetModel();
    endResetModel();
}

// --- CellDelegate ----------------------------------------------------------------------------

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const auto* model = static_cast<const SheetModel*>(index.model());
    const sheet::GridCell at = model->cellOf(index);
    if (!at.field) {
        return nullptr;
    }
    const sheet::CellEditor editor = sheet::cellEditor(*at.field, model->code());
    switch (editor.kind) {
        case sheet::EditorKind::List: {
            auto* box = new QComboBox(parent);
            fillEntries(*box, editor);
            // A choice made is the cell's new text at once.
            connect(box, &QComboBox::activated, this, [this, box] {
                auto* self = const_cast<CellDelegate*>(this);
                emit self->commitData(box);
                emit self->closeEditor(box);
            });
            return box;
        }
        case sheet::EditorKind::Offers: {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            fillEntries(*box, editor);
            return box;
        }
        case sheet::EditorKind::Line:
            break;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString cell = index.data(Qt::EditRole).toString();
    if (box->isEditable()) {
        box->setCurrentIndex(-1);
        box->setEditText(cell);
        return;
    }
    const auto* model = static_cast<const SheetModel*>(index.model());
    const std::size_t field = model->cellOf(index).field.value_or(0);
    const auto entry = sheet::entryOf(sheet::cellEditor(field, model->code()), field,
                                      cell.toStdString(), model->code());
    box->setCurrentIndex(entry ? static_cast<int>(*entry) : -1);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const int chosen = box->currentIndex();
    const auto* sheetModel = static_cast<const SheetModel*>(index.model());
    const std::optional<std::string> committed =
        sheet::committedText(sheetModel->cellOf(index).field.value_or(0),
                             chosen >= 0 ? std::optional(std::size_t(chosen)) : std::nullopt,
                             box->currentText().toStdString(), sheetModel->code());
    if (committed) {
        model->setData(index, text(*committed), Qt::EditRole);
    }
}
