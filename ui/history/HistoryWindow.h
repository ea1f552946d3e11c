#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "compare/PrintTarget.h"
#include "history/HistoryScreen.h"
#include "widgets/GridSortModel.h"
#include "widgets/ResultSetModel.h"
#include "widgets/TaskForm.h"

class QCheckBox;
class QSortFilterProxyModel;
class QTableView;

namespace vesk::gui {

/// A form's History window: its records, or every record with "Show all", in a read-only grid,
/// newest first until a heading is clicked. One per form, shown again with fresh records each
/// time the button is pressed.
class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    HistoryWindow(QWidget* form, const QString& formTitle, const history::HistoryScreen& records);

    /// Shows what the screen has read and brings the window to the front.
    void showRecords();
    /// Shows what the screen has read again, where the window stands.
    void refresh();
    /// cmdPrint, Ctrl+P: the rows as the grid shows them, to the print preview.
    void print();
    /// Where print() hands the printout; the print preview unless a test puts itself there.
    void setPrintTarget(compare::PrintTarget target) { m_printTo = std::move(target); }

  private:
    const history::HistoryScreen& m_records;
    std::string m_formTitle;
    compare::PrintTarget m_printTo;
    ResultSetModel m_model;
    GridSortModel m_sorted;
    QTableView* m_grid;
    QCheckBox* m_all;
};

/// A form's History button and its window: made when first asked for, following the form's
/// changes while it is open, closed with the form.
class FormHistory {
  public:
    /// `read` has the screen read the records (false when it could not; it has said why).
    FormHistory(TaskForm& form, std::function<bool()> read, const history::HistoryScreen& records)
        : m_form(form), m_read(std::move(read)), m_records(records) {}

    /// The History button.
    void open();
    /// After a change to the data: an open window shows it.
    void refresh();
    void close();

  private:
    bool read();

    TaskForm& m_form;
    std::function<bool()> m_read;
    const history::HistoryScreen& m_records;
    QPointer<HistoryWindow> m_window;
};

}  // namespace vesk::gui
