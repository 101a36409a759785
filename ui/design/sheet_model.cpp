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
    shownConditions_ = columnCount();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet::fields().size());
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(presenter_.sheet().size());
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || conditionOf(index) >= presenter_.sheet().size()) {
        return {};
    }
    if (role == Qt::EditRole) {
        return text(presenter_.sheet().cell(conditionOf(index), fieldOf(index)));
    }
    const sheet::ConditionCell cell = sheet::conditionCell(
        presenter_.sheet(), presenter_.evaluation(), conditionOf(index), fieldOf(index));
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
    // Only a committed editor sets a cell. The presenter shows the sheet again, and refresh()
    // tells the views.
    presenter_.commitCell(conditionOf(index), fieldOf(index), value.toString().toStdString());
    return true;
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section >= 0 && std::size_t(section) < sheet::fields().size()
                   ? text(sheet::fields()[std::size_t(section)].nameZh)
                   : QVariant();
    }
    return text(sheet::conditionHeader(presenter_.evaluation(), std::size_t(section)));
}

void SheetModel::refresh() {
    if (columnCount() != shownConditions_) {
        beginResetModel();
        shownConditions_ = columnCount();
        endResetModel();
        return;
    }
    if (shownConditions_ > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, shownConditions_ - 1));
        emit headerDataChanged(Qt::Horizontal, 0, shownConditions_ - 1);
    }
}

// --- ResultsModel ----------------------------------------------------------------------------

ResultsModel::ResultsModel(const sheet::DesignPresenter& presenter, QObject* parent)
    : QAbstractTableModel(parent), presenter_(presenter) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet::resultRowCount());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(presenter_.evaluation().outcomes.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const sheet::ResultCell cell = sheet::resultCell(
        presenter_.evaluation(), std::size_t(index.column()), std::size_t(index.row()));
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
    const sheet::CellEditor editor = sheet::cellEditor(SheetModel::fieldOf(index));
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
    const std::size_t field = SheetModel::fieldOf(index);
    const auto entry = sheet::entryOf(sheet::cellEditor(field), field, cell.toStdString());
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
    const std::optional<std::string> committed = sheet::committedText(
        SheetModel::fieldOf(index), chosen >= 0 ? std::optional(std::size_t(chosen)) : std::nullopt,
        box->currentText().toStdString());
    if (committed) {
        model->setData(index, text(*committed), Qt::EditRole);
    }
}
