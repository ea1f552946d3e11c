#include "report/ReportFile.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/ColumnMap.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "report/ReportWording.h"
#include "sheet/SheetRows.h"
#include "store/Schema.h"

namespace vesk::report {

namespace {

// A file larger than this is read from disk twice (for its digest and its cells) rather
// than held in memory whole; a month's report is about 7 MB.
constexpr std::uint64_t kLargestHeldFile = std::uint64_t(256) << 20;
// Rows a batch holds, and batches read ahead of the rows being stored: about 2 MB.
constexpr std::size_t kBatchRows = 1024;
constexpr std::size_t kBatchesAhead = 8;

// The reading thread's way out when nothing more is wanted.
struct Stopped {};

// An error cell's message, naming its place (file row, 1-based column).
Error cellError(std::string_view code, int fileRow, int column) {
    try {
        (void)sheet::cellText(sheet::Cell::makeError(std::string(code)));
    } catch (const Error& e) {
        return Error(e.number(), cellErrorText(e.what(), fileRow, column));
    }
    return Error(errc::kCellError, errorValueText(fileRow));
}

// The cells of a row read whole, as the row-by-row reader hands them over.
class StoredRow {
  public:
    explicit StoredRow(const std::vector<sheet::Cell>& cells) : m_cells(cells) {}
    sheet::Cell::Kind kind(int column) const { return at(column).kind; }
    std::string_view text(int column) const { return at(column).text; }
    const sheet::Cell& cell(int column) const { return at(column); }

  private:
    const sheet::Cell& at(int column) const {
        static const sheet::Cell kEmpty;
        return column >= 1 && std::size_t(column) <= m_cells.size() ? m_cells[std::size_t(column - 1)] : kEmpty;
    }
    const std::vector<sheet::Cell>& m_cells;
};

// A cell's text as the table stores it: trimmed, an error cell refused with its place.
template <class Cells>
std::string_view storedText(const Cells& cells, int fileRow, int column, std::string& scratch) {
    switch (cells.kind(column)) {
        case sheet::Cell::Kind::Empty:
            return {};
        case sheet::Cell::Kind::Text:
            return trimmed(cells.text(column));
        case sheet::Cell::Kind::Error:
            throw cellError(cells.text(column), fileRow, column);
        default:
            scratch = sheet::cellText(cells.cell(column));
            return trimmed(scratch);
    }
}

// Turns file rows into the texts the table stores, checking each as an import does.
class RowConverter {
  public:
    RowConverter(const RowPlan& plan, int columns) : m_plan(plan), m_columns(columns) {}

    // Adds a file row (number from 2) to the batch; false when it is not stored because its
    // column A is blank. A cell that cannot be stored throws, the batch left as it was.
    template <class Cells>
    bool add(int fileRow, const Cells& cells, RowBatch& batch) {
        if (cells.kind(1) == sheet::Cell::Kind::Empty || storedText(cells, fileRow, 1, m_scratch).empty()) return false;
        const std::size_t text = batch.text.size(), ends = batch.ends.size();
        try {
            for (int j = 0; j < m_columns; ++j) {
                std::string_view value;
                if (std::size_t(j) < m_plan.target.size() && m_plan.target[std::size_t(j)] >= 0) {
                    value = storedText(cells, fileRow, j + 1, m_scratch);
                    // The date column holds dates only: a row without one could never be summed by month
                    // or deleted again, and would break every later summary.
                    if (m_plan.holdsDates[std::size_t(j)]) {
                        const std::optional<DateTime> date = parseDateText(value);
                        if (!date) throw Error(errc::kTypeMismatch, notADateText(fileRow, value, j + 1));
                        m_keys.insert(monthKey(date->year, date->month));
                    }
                }
                batch.text.append(value);
                batch.ends.push_back(std::uint32_t(batch.text.size()));
            }
        } catch (...) {
            batch.text.resize(text);
            batch.ends.resize(ends);
            throw;
        }
        batch.rows.push_back(fileRow - 1);
        return true;
    }

    const std::set<std::int64_t>& keys() const { return m_keys; }

  private:
    const RowPlan& m_plan;
    int m_columns;
    std::string m_scratch;
    std::set<std::int64_t> m_keys;
};

template <class Cells>
std::vector<sheet::Cell> copyRow(const Cells& cells, int columns) {
    std::vector<sheet::Cell> out;
    out.reserve(std::size_t(columns));
    for (int c = 1; c <= columns; ++c) out.push_back(cells.cell(c));
    return out;
}

}  // namespace

RowPlan planRows(const ReportDescription& report, const std::vector<sheet::Cell>& headings) {
    // Headings only choose where columns go; an error cell among them names no column.
    std::vector<std::string> names;
    for (const sheet::Cell& head : headings)
        names.push_back(head.kind == sheet::Cell::Kind::Error ? std::string() : sheet::cellText(head));
    const std::vector<std::string>& columns = store::tableColumns(report.table);
    RowPlan plan;
    plan.target = mapColumnsByHeader(names, columns);
    int dateTarget = -1;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i], report.dateColumn)) dateTarget = int(i);
    for (int t : plan.target) plan.holdsDates.push_back(t >= 0 && t == dateTarget);
    return plan;
}

// ---- the sheet read row by row, on a thread of its own ----------------------------------

struct ReportFile::Stream {
    std::mutex mutex;
    std::condition_variable changed;
    // What the reading hands over.
    bool headReady = false;
    FileHead head;
    std::deque<RowBatch> batches;
    bool done = false;
    bool streamed = true;  // false: the sheet could not be read row by row
    std::exception_ptr failure;
    int lastRow = 0;  // the last row holding a value in column A
    std::set<std::int64_t> keys;
    // What the caller asks of it.
    bool discard = false;  // no more rows, but read on for the sheet's errors
    std::atomic<bool> stop{false};

    std::thread thread;
};

namespace {

// Takes the rows as the reader hands them over: rows 1 and 2 make the head, every row from
// 2 on is converted and queued in batches.
class StreamingRows final : public sheet::RowSink {
  public:
    StreamingRows(ReportFile::Stream& stream, const ReportDescription& report) : m_stream(stream), m_report(report) {}

    void row(int number, const sheet::RowCells& cells) override {
        if (m_stream.stop.load(std::memory_order_relaxed)) throw Stopped{};
        if (number == 1) {
            m_headings = copyRow(cells, m_report.columns);
            return;
        }
        if (!m_converter) {
            m_headings.resize(std::size_t(m_report.columns));
            m_plan = planRows(m_report, m_headings);
            m_converter.emplace(m_plan, m_report.columns);
        }
        const bool hasValueInA = cells.kind(1) != sheet::Cell::Kind::Empty;
        if (hasValueInA) m_lastRow = number;
        if (!m_headDone) {
            if (number == 2) m_first = copyRow(cells, m_report.columns);
            if (hasValueInA) publishHead(true);
        }
        if (m_failed) return;
        try {
            m_converter->add(number, cells, m_batch);
        } catch (...) {
            // The rows before it are stored first; no later row is converted.
            m_batch.failure = std::current_exception();
            m_failed = true;
        }
        if (m_batch.size() >= kBatchRows || m_failed) push();
    }

    // The end of the sheet: the rest of the rows, the head if no row below 1 held a value, the totals.
    void end() {
        if (!m_headDone) publishHead(false);
        if (m_batch.size() > 0 || m_batch.failure) push();
        std::lock_guard lock(m_stream.mutex);
        m_stream.lastRow = m_lastRow;
        if (m_converter) m_stream.keys = m_converter->keys();
    }

  private:
    void publishHead(bool hasRows) {
        FileHead head;
        head.headings = m_headings;
        head.headings.resize(std::size_t(m_report.columns));
        head.first = std::move(m_first);
        head.first.resize(std::size_t(m_report.columns));
        head.hasRows = hasRows;
        std::lock_guard lock(m_stream.mutex);
        m_stream.head = std::move(head);
        m_stream.headReady = true;
        m_headDone = true;
        m_stream.changed.notify_all();
    }

    void push() {
        std::unique_lock lock(m_stream.mutex);
        m_stream.changed.wait(
            lock, [&] { return m_stream.batches.size() < kBatchesAhead || m_stream.discard || m_stream.stop.load(); });
        if (m_stream.stop.load()) throw Stopped{};
        if (m_stream.discard) {
            m_failed = true;  // nothing more to convert; the sheet is still read to its end
        } else {
            m_stream.batches.push_back(std::move(m_batch));
            m_stream.changed.notify_all();
        }
        m_batch = RowBatch();
    }

    ReportFile::Stream& m_stream;
    const ReportDescription& m_report;
    std::vector<sheet::Cell> m_headings;
    std::vector<sheet::Cell> m_first;
    bool m_headDone = false;
    RowPlan m_plan;
    std::optional<RowConverter> m_converter;
    RowBatch m_batch;
    bool m_failed = false;
    int m_lastRow = 0;
};

void readRows(ReportFile::Stream& stream, const sheet::Workbook& book, const ReportDescription& report) {
    bool streamed = false;
    std::exception_ptr failure;
    try {
        StreamingRows rows(stream, report);
        streamed = book.streamSheet(0, report.columns, rows);
        if (streamed) rows.end();
    } catch (const Stopped&) {
    } catch (...) {
        failure = std::current_exception();
    }
    std::lock_guard lock(stream.mutex);
    stream.done = true;
    stream.streamed = streamed || failure;
    stream.failure = failure;
    stream.changed.notify_all();
}

}  // namespace

// ---- the sheet read whole -------------------------------------------------------------

class ReportFile::Whole {
  public:
    Whole(const sheet::Workbook& book, const ReportDescription& report)
        : m_columns(report.columns), m_sheet(book.firstSheet(report.columns)) {
        m_head.headings = row(1);
        m_head.first = row(2);
        const int last = m_sheet->lastRow(1);
        m_head.hasRows = last >= 2;
        m_rows = std::max(0, last - 1);
    }

    const FileHead& head() const { return m_head; }
    int rowCount() const { return m_rows; }
    std::set<std::int64_t> keys() const { return m_converter ? m_converter->keys() : std::set<std::int64_t>(); }

    // The next batch of rows into out; false after the last.
    bool next(const RowPlan& plan, RowBatch& out) {
        if (!m_converter) m_converter.emplace(plan, m_columns);
        out = RowBatch();
        while (m_next <= m_rows && !m_failed && out.size() < kBatchRows) {
            const int fileRow = m_next + 1;
            ++m_next;
            try {
                const std::vector<sheet::Cell> cells = row(fileRow);
                m_converter->add(fileRow, StoredRow(cells), out);
            } catch (...) {
                out.failure = std::current_exception();
                m_failed = true;
            }
        }
        return out.size() > 0 || out.failure;
    }

  private:
    std::vector<sheet::Cell> row(int number) const {
        std::vector<sheet::Cell> cells;
        for (int c = 1; c <= m_columns; ++c) cells.push_back(m_sheet->cell(number, c));
        return cells;
    }

    int m_columns;
    std::unique_ptr<sheet::Sheet> m_sheet;
    FileHead m_head;
    int m_rows = 0;
    int m_next = 1;
    bool m_failed = false;
    std::optional<RowConverter> m_converter;
};

// ---- the file ---------------------------------------------------------------------------

ReportFile::ReportFile(const std::string& path, const ReportDescription& report) : m_path(path), m_report(report) {
    m_bytes = sheet::readFileBytes(path, kLargestHeldFile);
    m_book = m_bytes ? sheet::Workbook::fromBytes(path, m_bytes) : sheet::Workbook::open(path);
    m_stream = std::make_unique<Stream>();
    Stream& stream = *m_stream;
    const sheet::Workbook& book = *m_book;
    m_stream->thread = std::thread([&stream, &book, &report] { readRows(stream, book, report); });
}

ReportFile::~ReportFile() { stop(); }

void ReportFile::stop() noexcept {
    if (!m_stream) return;
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->stop = true;
        m_stream->batches.clear();
        m_stream->changed.notify_all();
    }
    m_stream->thread.join();
    m_stream.reset();
}

const FileHead& ReportFile::head() {
    if (m_whole) return m_whole->head();
    Stream& s = *m_stream;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.headReady || s.done; });
    if (s.done && s.failure) std::rethrow_exception(s.failure);
    if (s.done && !s.streamed) throw Restart{};
    return s.head;  // the reading leaves it alone once handed over
}

const RowPlan& ReportFile::plan() {
    if (!m_plan) m_plan = planRows(m_report, head().headings);
    return *m_plan;
}

const history::FileDigest& ReportFile::digest() {
    if (!m_digest) m_digest = m_bytes ? history::digestBytes(m_path, *m_bytes) : history::digestFile(m_path);
    return *m_digest;
}

void ReportFile::settle() {
    if (!m_stream) return;
    Stream& s = *m_stream;
    std::unique_lock lock(s.mutex);
    s.discard = true;
    s.batches.clear();
    s.changed.notify_all();
    s.changed.wait(lock, [&] { return s.done; });
    if (s.failure) std::rethrow_exception(s.failure);
    if (!s.streamed) throw Restart{};
}

const RowBatch* ReportFile::next() {
    if (m_whole) return m_whole->next(plan(), m_current) ? &m_current : nullptr;
    Stream& s = *m_stream;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return !s.batches.empty() || s.done; });
    if (s.done && s.failure) std::rethrow_exception(s.failure);
    if (s.done && !s.streamed) throw Restart{};
    if (s.batches.empty()) return nullptr;
    m_current = std::move(s.batches.front());
    s.batches.pop_front();
    s.changed.notify_all();
    return &m_current;
}

std::optional<int> ReportFile::rowCount() {
    if (m_whole) return m_whole->rowCount();
    Stream& s = *m_stream;
    std::lock_guard lock(s.mutex);
    if (!s.done || s.failure || !s.streamed) return std::nullopt;
    return std::max(0, s.lastRow - 1);
}

std::set<std::int64_t> ReportFile::dateKeys() {
    if (m_whole) return m_whole->keys();
    Stream& s = *m_stream;
    std::lock_guard lock(s.mutex);
    return s.keys;
}

void ReportFile::readWhole() {
    stop();
    m_plan.reset();
    m_whole = std::make_unique<Whole>(*m_book, m_report);
}

}  // namespace vesk::report
