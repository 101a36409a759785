#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <cstddef>

#include "kelnor/sheet/design_presenter.h"

// The conditions as the grid shows them: one column per condition, one row per field. The
// model holds nothing of its own: every cell is read from the presenter's sheet and every
// change is handed to the presenter, which shows the sheet again through refresh().
class SheetModel final : public QAbstractTableModel {
  public:
    explicit SheetModel(kelnor::sheet::DesignPresenter& presenter, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The sheet or its evaluation changed: the views read every cell again. Only a change in
    // the number of conditions resets the model, so an open editor survives a change of text.
    void refresh();

    // The sheet's place of a grid cell: its condition and its field.
    static std::size_t conditionOf(const QModelIndex& index) { return std::size_t(index.column()); }
    static std::size_t fieldOf(const QModelIndex& index) { return std::size_t(index.row()); }

  private:
    kelnor::sheet::DesignPresenter& presenter_;
    int shownConditions_ = 0;
};

// The results of every condition, read-only, one column per condition beside the grid's own:
// the wave, the run-up and the freeboard, the governing condition marked in its header, a
// failure or warnings as the cells' tooltip.
class ResultsModel final : public QAbstractTableModel {
  public:
    explicit ResultsModel(const kelnor::sheet::DesignPresenter& presenter,
                          QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void refresh();

  private:
    const kelnor::sheet::DesignPresenter& presenter_;
};

// The editor of a grid cell: a list of the field's choices for formula, grade, operation and
// region, the slope surfaces' KΔ offered over a typed number for the roughness, else a line.
class CellDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};
