#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "history/FileDigest.h"
#include "report/ReportDescription.h"
#include "sheet/Workbook.h"

namespace vesk::report {

/// What an import checks before it stores anything: the first sheet's row 1 (its headings)
/// and row 2, columns 1 to the report's last, and whether column A holds anything below row 1.
struct FileHead {
    std::vector<sheet::Cell> headings;
    std::vector<sheet::Cell> first;
    bool hasRows = false;
};

/// Where a file's columns go: each one's table column (-1: dropped, as the file has more
/// columns than the table), and whether it feeds the report's date column.
struct RowPlan {
    std::vector<int> target;
    std::vector<bool> holdsDates;
};

/// Where the columns of a file with these headings go (see mapColumnsByHeader).
RowPlan planRows(const ReportDescription& report, const std::vector<sheet::Cell>& headings);

/// Rows as the table stores them, their cells turned into the stored texts.
struct RowBatch {
    std::vector<int> rows;            ///< each row's index in the file's rows, row 2 being 1
    std::string text;                 ///< their texts back to back, every file column of each row
    std::vector<std::uint32_t> ends;  ///< where each text ends
    std::exception_ptr failure;       ///< the row after these cannot be stored: why

    std::size_t size() const { return rows.size(); }
    /// The text of a row's file column (0-based).
    std::string_view cell(std::size_t row, std::size_t column, std::size_t columns) const {
        const std::size_t at = row * columns + column;
        const std::uint32_t from = at == 0 ? 0 : ends[at - 1];
        return std::string_view(text).substr(from, ends[at] - from);
    }
};

/// A report workbook as an import reads it. Its bytes are read once: they give its digest
/// and its cells. The first sheet is read on a thread of its own, its rows turned into the
/// texts the table stores and handed over in batches while the caller stores the earlier
/// ones; a sheet that cannot be read row by row is read whole instead, as the caller asks
/// by readWhole() after a Restart. Every error is the one reading the whole sheet first
/// gave: one of the sheet's XML comes before any of its cells, so the calls that end the
/// reading early (settle(), an error of next()) wait for the rest of the sheet first.
class ReportFile {
  public:
    /// The batches handed out so far count for nothing: the sheet is to be read whole.
    struct Restart {};

    /// Opens the file and starts reading. Throws Error when it is no workbook.
    ReportFile(const std::string& path, const ReportDescription& report);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    /// Waits for the first rows. Throws Error, or Restart.
    const FileHead& head();
    /// Where the columns go, by the headings.
    const RowPlan& plan();
    /// The digest of the file's bytes (computed once).
    const history::FileDigest& digest();

    /// No rows are wanted (the import stops): waits for the rest of the sheet to be read and
    /// throws its error, if it has one, or Restart.
    void settle();
    /// The next batch; nullptr after the last. A batch stays valid until the next call.
    /// Throws the sheet's error, or Restart.
    const RowBatch* next();
    /// How many rows the file has below row 1 (to the last one holding a value in column A),
    /// once the whole sheet has been read without error; nullopt before.
    std::optional<int> rowCount();
    /// The months (year * 100 + month) of the dates the stored rows hold, once next() ended.
    std::set<std::int64_t> dateKeys();

    /// Reads the sheet whole from now on, after a Restart.
    void readWhole();

    struct Stream;  // what the reading thread and the caller share

  private:
    class Whole;
    void stop() noexcept;

    std::string m_path;
    const ReportDescription& m_report;
    std::shared_ptr<const std::string> m_bytes;  // null for a file too large to hold
    std::unique_ptr<sheet::Workbook> m_book;
    std::unique_ptr<Stream> m_stream;  // while the sheet is read row by row
    std::unique_ptr<Whole> m_whole;    // once it is read whole
    std::optional<RowPlan> m_plan;
    std::optional<history::FileDigest> m_digest;
    RowBatch m_current;
};

}  // namespace vesk::report
