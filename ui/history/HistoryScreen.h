#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "core/Prompter.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"

namespace vesk::history {

/// What a form's History window shows: that form's records, newest first, as the texts of
/// a read-only grid.
class HistoryScreen {
  public:
    HistoryScreen(Form form, Prompter& prompter) : m_form(form), m_prompter(prompter) {}

    /// The History button: reads the records over the form's connection, which `open`
    /// opens when it is not. False, with the failure shown, when they cannot be read; the
    /// window then stays shut.
    bool read(const std::function<store::Connection&()>& open);

    /// The grid's headings and texts; nullopt before the first load.
    const std::optional<store::ResultSet>& grid() const { return m_grid; }
    /// The columns that hold numbers, which read best aligned to the right.
    std::vector<int> numberColumns() const;

  private:
    Form m_form;
    Prompter& m_prompter;
    std::optional<store::ResultSet> m_grid;
};

}  // namespace vesk::history
