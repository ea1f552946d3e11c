#pragma once

#include <QAbstractTableModel>

#include "trend/TrendView.h"

namespace vesk::gui {

/// The office map of a trend view: an office a row (its name in the row's header), a month a
/// column, each cell shaded by its amount.
class TrendMapModel : public QAbstractTableModel {
  public:
    explicit TrendMapModel(const trend::TrendView& view) : m_view(view) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// The view changed: everything is read again.
    void refresh();

  private:
    const trend::TrendView& m_view;
};

}  // namespace vesk::gui
