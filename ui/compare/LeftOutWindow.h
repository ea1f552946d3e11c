#pragma once

#include <QWidget>
#include <array>

#include "compare/CompareScreen.h"
#include "widgets/ResultSetModel.h"

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace vesk::gui {

/// The window of what the comparison left out: the line, the three lists (each sortable by
/// any column) with their totals, Export to Excel and Close.
class LeftOutWindow : public QWidget {
    Q_OBJECT
  public:
    LeftOutWindow(const compare::CompareScreen& logic, QWidget* parent);

    /// Shows the last comparison's lists.
    void refresh();

  signals:
    /// Export to Excel was pressed: the form exports the lists.
    void exportRequested();
    /// Print… or Ctrl+P: the form prints the lists.
    void printRequested();

  private:
    struct ListView {
        ResultSetModel model;
        QSortFilterProxyModel* sorted = nullptr;
        QTableView* grid = nullptr;
        QLabel* total = nullptr;
    };

    const compare::CompareScreen& m_logic;
    QLabel* m_heading;
    QLabel* m_line;
    std::array<ListView, 3> m_lists;
};

}  // namespace vesk::gui
