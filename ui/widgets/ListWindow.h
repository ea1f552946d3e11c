#pragma once

#include <QApplication>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QWidget;

namespace vesk::gui {

/// What a list window of its own (an explanation, the open items) is made of: a heading and
/// a headline centred above a sortable grid, and under it a row of controls that ends in
/// Export to Excel and Close.
struct ListWindowParts {
    QLabel* heading = nullptr;
    QLabel* headline = nullptr;
    QTableView* grid = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* close = nullptr;
};

/// Lays the parts out in the window: the grid (named gridName) shows `sorted` in its model's
/// order until a heading is clicked, rows of rowHeight pixels; `left` stand at the left of
/// the row of controls, `buttons` before Export to Excel (named exportName). Close closes the
/// window, and the window gets the program's keys.
ListWindowParts buildListWindow(QWidget* window, const QString& gridName, QSortFilterProxyModel* sorted, int rowHeight,
                                const std::vector<QWidget*>& left, const std::vector<QPushButton*>& buttons,
                                const QString& exportName);

/// The text of a row of the window's model; of none, "".
using RowText = std::function<std::string(std::optional<std::size_t> row)>;

/// A read-only pane of three lines under the window's grid (named txtHintDetail), its text
/// selectable: the current row in full (`text` of it, through `sorted`), which the grid's
/// columns cut short. It follows the current row; the function returned shows it again once
/// the rows have changed.
std::function<void()> addDetailPane(QWidget* window, QTableView* grid, const QSortFilterProxyModel* sorted,
                                    RowText text);

/// Print… and Ctrl+P anywhere in the window call `print`, the key only while the button is enabled.
void connectPrint(QWidget* window, QPushButton* button, const std::function<void()>& print);

/// The busy cursor over the window while its work runs on another thread, the arrow after.
void showBusy(QWidget* window, bool busy);

/// The wait cursor while it lives, for work done on the window's thread (an export).
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace vesk::gui
