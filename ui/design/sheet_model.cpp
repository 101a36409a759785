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

#include "kelnor/design/wording.h"
#include "kelnor/sheet/fields.h"

namespace {

namespace sheet = kelnor::sheet;
namespace design = kelnor::design;

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The colours of the calculation book: greyed defaults, a cell at fault, a warned result.
const QColor kDefaultText(0x88, 0x88, 0x88);
const QColor kFaultBackground(0xff, 0xc8, 0xc8);
const QColor kWarnText(0x8a, 0x4b, 0x00);
const QColor kFailText(0xa0, 0x00, 0x00);

// The dash of a result the condition does not have.
constexpr std::string_view kDash = "—";

// One row of the results: its name with the unit, the value and its decimals as the book
// rounds them.
struct ResultRow {
    std::string_view name;
    std::optional<double> (*value)(const design::Result&);
    int decimals;
};

const std::array<ResultRow, 11> kResultRows = {{
    {"hm（m）", [](const design::Result& r) -> std::optional<double> { return r.waves.hm; }, 3},
    {"Tm（s）", [](const design::Result& r) -> std::optional<double> { return r.waves.Tm; }, 3},
    {"Lm（m）", [](const design::Result& r) -> std::optional<double> { return r.waves.Lm; }, 3},
    {"e（m）", [](const design::Result& r) -> std::optional<double> { return r.e; }, 3},
    {"Kw", [](const design::Result& r) -> std::optional<double> { return r.runUp.Kw; }, 3},
    {"Kp", [](const design::Result& r) -> std::optional<double> { return r.runUp.kp.value; }, 3},
    {"Rm（m）", [](const design::Result& r) -> std::optional<double> { return r.runUp.Rm; }, 3},
    {"Rp（m）", [](const design::Result& r) -> std::optional<double> { return r.runUp.Rp; }, 3},
    {"A（m）", [](const design::Result& r) -> std::optional<double> { return r.A; }, 2},
    {"y（m）", [](const design::Result& r) -> std::optional<double> { return r.y; }, 3},
    {"坝顶高程（m）", [](const design::Result& r) { return r.crest; }, 3},
}};

// The list entries of a choice field: its choices by their Chinese names, each holding the
// value the cell takes, after an empty entry that clears the cell.
void fillChoices(QComboBox& box, const sheet::Field& field) {
    box.addItem(QString(), QString());
    for (const sheet::Choice& c : field.choices) {
        box.addItem(text(c.nameZh), text(c.value));
    }
}

// The roughness offers: "草皮护面 0.85", each writing its number.
void fillRoughness(QComboBox& box) {
    for (const sheet::RoughnessOffer& o : sheet::roughnessOffers()) {
        box.addItem(text(o.surfaceZh) + u' ' + text(o.text), text(o.text));
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
    const std::size_t field = fieldOf(index);
    const std::size_t condition = conditionOf(index);
    const std::string& cell = presenter_.sheet().cell(condition, field);
    const auto& outcomes = presenter_.evaluation().outcomes;
    const sheet::Outcome* outcome = condition < outcomes.size() ? &outcomes[condition] : nullptr;
    const bool atFault = outcome != nullptr && outcome->failedColumn() == field;
    switch (role) {
        case Qt::DisplayRole:
            return cell.empty() ? text(sheet::fields()[field].placeholderZh)
                                : text(sheet::shownText(field, cell));
        case Qt::EditRole:
            return text(cell);
        case Qt::ForegroundRole:
            return cell.empty() ? QVariant(QBrush(kDefaultText)) : QVariant();
        case Qt::BackgroundRole:
            return atFault ? QVariant(QBrush(kFaultBackground)) : QVariant();
        case Qt::ToolTipRole:
            return atFault ? QVariant(text(outcome->failureZh())) : QVariant();
        default:
            return {};
    }
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    // The presenter shows the sheet again, and refresh() tells the views.
    presenter_.setCell(conditionOf(index), fieldOf(index), value.toString().toStdString());
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
    return QString::number(section + 1);
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
    return parent.isValid() ? 0 : static_cast<int>(kResultRows.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(presenter_.evaluation().outcomes.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    const auto& outcomes = presenter_.evaluation().outcomes;
    if (!index.isValid() || std::size_t(index.column()) >= outcomes.size()) {
        return {};
    }
    const sheet::Outcome& outcome = outcomes[std::size_t(index.column())];
    const bool governs = presenter_.evaluation().governing == std::size_t(index.column());
    switch (role) {
        case Qt::DisplayRole: {
            if (!outcome.result) {
                return outcome.failure ? text(kDash) : QVariant();
            }
            const ResultRow& row = kResultRows[std::size_t(index.row())];
            const std::optional<double> value = row.value(*outcome.result);
            return value ? text(sheet::fixed(*value, row.decimals)) : text(kDash);
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (outcome.failure) {
                return QBrush(kFailText);
            }
            return outcome.result && !outcome.result->warnings.empty() ? QVariant(QBrush(kWarnText))
                                                                       : QVariant();
        case Qt::FontRole: {
            if (!governs) {
                return {};
            }
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::ToolTipRole: {
            if (outcome.failure) {
                return text(outcome.failureZh());
            }
            QStringList warnings;
            for (const std::string& w : outcome.warningsZh()) {
                warnings << text(w);
            }
            return warnings.isEmpty() ? QVariant() : QVariant(warnings.join(u'\n'));
        }
        default:
            return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return std::size_t(section) < kResultRows.size()
                   ? text(kResultRows[std::size_t(section)].name)
                   : QVariant();
    }
    // The governing condition is marked as the book marks it.
    QString header = QString::number(section + 1);
    if (presenter_.evaluation().governing == std::size_t(section)) {
        header += QStringLiteral(" ★");
    }
    return header;
}

void ResultsModel::refresh() {
    beginResetModel();
    endResetModel();
}

// --- CellDelegate ----------------------------------------------------------------------------

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const std::size_t field = SheetModel::fieldOf(index);
    const sheet::Field& f = sheet::fields().at(field);
    if (f.isChoice()) {
        auto* box = new QComboBox(parent);
        fillChoices(*box, f);
        // A choice made is the cell's new text at once.
        connect(box, &QComboBox::activated, this, [this, box] {
            auto* self = const_cast<CellDelegate*>(this);
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }
    if (field == sheet::roughnessColumn()) {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        fillRoughness(*box);
        return box;
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
    // The entry the grid shows for the cell: a value the field knows by its Chinese name.
    const std::string shown =
        kelnor::sheet::shownText(SheetModel::fieldOf(index), cell.toStdString());
    const int at = cell.isEmpty() ? 0 : box->findText(text(shown));
    box->setCurrentIndex(at);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (!box->isEditable()) {
        // A cell holding a text that is none of the choices keeps it unless one is chosen.
        if (box->currentIndex() >= 0) {
            model->setData(index, box->currentData(), Qt::EditRole);
        }
        return;
    }
    // An offer chosen writes its number; anything typed is the cell's text as it is.
    const int chosen = box->findText(box->currentText());
    model->setData(index, chosen >= 0 ? box->itemData(chosen) : QVariant(box->currentText()),
                   Qt::EditRole);
}
