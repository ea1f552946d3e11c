#pragma once

#include <QWidget>

#include "history/HistoryScreen.h"
#include "widgets/ResultSetModel.h"

class QTableView;

namespace vesk::gui {

/// A form's History window: its records in a read-only grid, newest first. One per form,
/// shown again with fresh records each time the button is pressed.
class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    HistoryWindow(QWidget* form, const QString& formTitle);

    /// Shows what the screen has read and brings the window to the front.
    void showRecords(const history::HistoryScreen& records);
    /// Shows what the screen has read again, where the window stands.
    void refresh(const history::HistoryScreen& records);

  private:
    ResultSetModel m_model;
    QTableView* m_grid;
    bool m_aligned = false;
};

}  // namespace vesk::gui
