#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <cstddef>

#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/grid.h"

// The conditions as the grid shows them: a dam's one column per condition and one row per
// field; a dike's one row per section, its fields and then its results as the columns. The
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
    // the grid's shape resets the model, so an open editor survives a change of text.
    void refresh();

    // The sheet's place of a grid cell: its condition and its field, or a dike's result.
    kelnor::sheet::GridCell cellOf(const QModelIndex& index) const;
    // The grid cell of the sheet's (condition, field).
    QModelIndex indexOf(std::size_t condition, std::size_t field) const;
    kelnor::sheet::DesignCode code() const { return presenter_.sheet().code(); }

  private:
    kelnor::sheet::DesignPresenter& presenter_;
    int shownRows_ = 0;
    int shownColumns_ = 0;
};

// A result cell as a view shows it in `role`: right-aligned, toned, bold where it governs, its
// failure or warnings as the tooltip.
QVariant resultData(const kelnor::sheet::ResultCell& cell, int role);

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
