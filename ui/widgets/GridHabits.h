#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QMimeData;
class QPoint;
class QTableView;

namespace vesk::gui {

/// A grid's spreadsheet habits: rows chosen with Shift and Ctrl; Ctrl+C and the context
/// menu's Copy put the chosen rows (or the chosen cells' rectangle) with their headings on
/// the clipboard, as tab-separated text and as an HTML table, so a paste into a sheet or a
/// mail gives cells; Copy All; Ctrl+F finds a text (an office, an ID) in the grid; and the
/// menu offers what the window does to the row clicked. Escape closes the menu alone.
class GridHabits : public QObject {
    Q_OBJECT
  public:
    /// Gives the grid its habits; they go with it.
    static GridHabits* install(QTableView* grid);
    /// The habits a grid was given; none: it was given none.
    static GridHabits* of(const QTableView* grid);

    /// An entry of the grid's menu after Copy and Copy All, run on the row clicked (which
    /// becomes the current one). The text keeps its "&" and "…" as a button's would.
    void addRowAction(const QString& text, std::function<void()> act);

    /// What Copy puts on the clipboard: the chosen rows or cells, or every shown row.
    QMimeData* copied(bool all) const;
    void copy(bool all) const;
    /// Ctrl+F: asks for a text and chooses the next row that holds it.
    void find();
    /// Chooses the next row after the current one (wrapping round) whose cell holds the text
    /// in any case; false when no row does.
    bool findNext(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit GridHabits(QTableView* grid);
    void showMenu(const QPoint& at);

    struct RowAction {
        QString text;
        std::function<void()> act;
    };
    QTableView* m_grid;
    std::vector<RowAction> m_actions;
    QString m_lastFind;
};

}  // namespace vesk::gui
