#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/Cell.h"
#include "sheet/CellSink.h"

namespace vesk::sheet {

class StringPool;

/// The cells of one row that a reader kept (columns 1 to the last one asked for), as a view
/// into the reader's buffers: valid while RowSink::row() runs.
class RowCells {
  public:
    int columns() const { return int(m_slots.size()) - 1; }
    /// The cell at a column from 1 as Sheet::cell gives it; empty beyond columns().
    Cell cell(int column) const;
    Cell::Kind kind(int column) const {
        return column >= 1 && column <= columns() ? m_slots[std::size_t(column)].kind : Cell::Kind::Empty;
    }
    /// The text of a text or error cell, without a copy; "" for any other.
    std::string_view text(int column) const;

  private:
    friend class RowBuilder;
    struct Slot {
        Cell::Kind kind = Cell::Kind::Empty;
        bool shared = false;  // text: a shared string by index, else a span of m_text
        bool boolean = false;
        union {
            double number;
            std::uint32_t index;
            struct {
                std::uint32_t offset, length;
            } span;
            struct {
                std::int16_t year;
                std::uint8_t month, day, hour, minute, second;
            } date;
        };
        Slot() : number(0) {}
    };
    std::vector<Slot> m_slots;  // by column; slot 0 unused
    std::string m_text;
    const StringPool* m_shared = nullptr;
};

/// Receives a sheet's rows one by one as they are read.
class RowSink {
  public:
    virtual ~RowSink() = default;
    /// A row (number from 1) holding at least one kept cell. Rows come in increasing order,
    /// each once, with every cell the file gives them (a cell written twice holds its last value).
    virtual void row(int number, const RowCells& cells) = 0;
};

/// Thrown when a sheet writes a row after a later one: its rows cannot be handed over one
/// by one, and the sheet is read whole instead.
struct RowsOutOfOrder {};

/// Gathers the cells a reader puts, row by row, and hands each row to a sink once the next
/// begins (or at flush()). Cells right of lastColumn are not kept.
class RowBuilder final : public CellSink {
  public:
    RowBuilder(RowSink& sink, int lastColumn, const StringPool* sharedStrings);

    void setNumber(int row, int column, double v) override;
    void setSharedText(int row, int column, std::uint32_t index) override;
    void setText(int row, int column, std::string_view v) override;
    void setBoolean(int row, int column, bool v) override;
    void setDate(int row, int column, const DateTime& v) override;
    void setError(int row, int column, std::string_view code) override;
    /// Hands over the row still gathering.
    void flush();

  private:
    RowCells::Slot* slot(int row, int column);
    void setOwnText(RowCells::Slot* s, Cell::Kind kind, std::string_view text);

    RowSink& m_sink;
    RowCells m_cells;
    int m_lastColumn;
    int m_row = 0;               // the row gathering; 0 before the first
    std::vector<int> m_touched;  // its columns that hold a cell
    std::size_t m_garbage = 0;   // bytes of its text that cells written again left behind
};

}  // namespace vesk::sheet
