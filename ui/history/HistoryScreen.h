#pragma once

#include <functional>
#include <string>
#include <vector>

#include "compare/Printout.h"
#include "core/DateTime.h"
#include "core/Prompter.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"

namespace vesk::history {

/// What a form's History window shows: every change the file records, newest first, as the
/// texts of a read-only grid; the form's own kinds of change unless all are asked for.
class HistoryScreen {
  public:
    HistoryScreen(Form form, Prompter& prompter) : m_form(form), m_prompter(prompter) {}

    /// The History button: reads the records over the form's connection, which `open`
    /// opens when it is not. False, with the failure shown, when they cannot be read; the
    /// window then stays shut.
    bool read(const std::function<store::Connection&()>& open);

    /// The grid's headings and texts: the form's own records, or with `all` every one.
    store::ResultSet grid(bool all) const;
    /// What a cell of that grid sorts by when its text would sort wrong: the time and the period
    /// as the database writes them; "" for the cells whose text will do.
    std::string sortKey(bool all, std::size_t row, int column) const;

    /// Print…: the grid's rows in the order the window shows them (`rows`, by their place in
    /// grid(all)), under the window's title.
    compare::Printout printout(bool all, const std::vector<std::size_t>& rows, const std::string& formTitle,
                               const DateTime& now) const;

  private:
    const Record* shown(bool all, std::size_t row) const;
    static std::vector<std::string> cellsOf(const Record& r);

    Form m_form;
    Prompter& m_prompter;
    std::vector<Record> m_records;
    std::vector<std::size_t> m_own;  ///< where the form's own records stand among them
};

}  // namespace vesk::history
