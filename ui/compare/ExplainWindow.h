#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>
#include <vector>

#include "compare/ExplainScreen.h"

class QCheckBox;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QThread;

namespace vesk::gui {

/// The rows of an explanation, one per line, each filled by its class.
class ExplainModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    /// The role a sorting proxy reads: amounts and dates as numbers.
    static constexpr int kSortRole = Qt::UserRole;

    explicit ExplainModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setLines(const std::vector<compare::ExplainedLine>& lines);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<compare::ExplainedLine> m_lines;
    std::vector<std::vector<QString>> m_cells;
};

/// Why the month's rows differ: the headline, the paired rows in a sortable grid, "Show
/// matched rows", Export to Excel and Close. The pairing runs on a thread of its own, so
/// the comparison form stays alive while a large month is explained.
class ExplainWindow : public QWidget {
    Q_OBJECT
  public:
    ExplainWindow(const std::string& databasePath, Prompter& prompter, QWidget* parent);
    ~ExplainWindow() override;

    compare::ExplainScreen& logic() { return m_logic; }

    /// Shows the window and starts explaining what is asked.
    void explain(const compare::ExplainRequest& request);

    void chkMatched_Click(bool checked);
    void cmdExportExplained_Click();

  private:
    void render();

    compare::ExplainScreen m_logic;
    ExplainModel m_model;
    QSortFilterProxyModel* m_sorted;
    QLabel* m_heading;
    QLabel* m_headline;
    QTableView* m_grid;
    QCheckBox* m_matched;
    std::vector<QThread*> m_running;
};

}  // namespace vesk::gui
