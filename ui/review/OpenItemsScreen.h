#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/ExplainScreen.h"
#include "compare/PrintTarget.h"
#include "core/Prompter.h"
#include "review/OpenItems.h"
#include "widgets/LatestJob.h"
#include "widgets/LatestRequest.h"

namespace vesk::review {

/// What the Open Items window shows and says. The listing runs off the window's thread:
/// open() hands out the work, and finished() or failed() take its outcome back.
class OpenItemsScreen {
  public:
    OpenItemsScreen(std::string databasePath, Prompter& prompter);

    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }
    /// Where Print… hands the printout (the window's preview), and the clock of its "Printed on".
    void setPrintTarget(compare::PrintTarget target, Clock clock = localNow) {
        m_printTo = std::move(target);
        m_clock = std::move(clock);
    }

    /// The work of one listing: it opens its own connection.
    using Job = LatestJob<OpenItems>;
    /// Starts over for the day; the window shows "Listing...." until the job's outcome.
    Job open(long long asOf);
    /// The job's outcome; an outcome of an earlier request than the last is dropped.
    void finished(std::uint64_t ticket, OpenItems items);
    void failed(std::uint64_t ticket, const std::exception& error);

    bool busy() const { return m_latest.busy(); }
    long long asOf() const { return m_asOf; }
    /// "Open Items as of 05/06/2025 (Offices Under Hill HO)", "... (Karwar Division)".
    std::string heading() const;
    /// What each bucket adds up to; empty while busy.
    std::string headline() const;
    const std::vector<OpenItem>& items() const { return m_items.items; }
    /// The pane under the grid: the item in full, its whole hint and note; "" for none.
    std::string detailText(std::optional<std::size_t> row) const;

    /// Export to Excel: the saved file, or none.
    std::optional<std::string> exportItems();
    /// Print…: the sheet Export to Excel writes; refused as it is when there are no items.
    bool printItems();
    /// A double-clicked item: the explanation of its office's month.
    std::optional<compare::ExplainRequest> explainItem(std::size_t row) const;

  private:
    std::string m_path;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    compare::PrintTarget m_printTo;
    Clock m_clock = localNow;
    LatestRequest m_latest;
    long long m_asOf = 0;
    OpenItems m_items;
};

}  // namespace vesk::review
